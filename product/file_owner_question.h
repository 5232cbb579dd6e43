#pragma once

// The product's question before ending a program that holds a file about to be deleted, for
// DeleteFileOrStopOwner: the language's "product.file_owner_question" with path, captioned
// "product.file_owner_caption", Yes and No, owned by owner. True when the answer is Yes.
bool AskToStopFileOwner(const char16_t* path, void* owner);
