#pragma once

// The product's question before ending a program that holds a file about to be deleted, for
// DeleteFileOrStopOwner: "当前待删除文件<path>正在运行!\n是否强制终止后删除？", captioned
// "文件删除提示", Yes and No, owned by owner. True when the answer is Yes.
bool AskToStopFileOwner(const char16_t* path, void* owner);
