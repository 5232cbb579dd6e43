#pragma once

// An executable module as the portable code sees it: the Windows layer casts it to HMODULE.
using ModuleHandle = void*;
