#include "draw/image.h"

bool CImage::LoadFromResource(ModuleHandle, int, const char16_t*) { return false; }
bool CImage::LoadFromFile(const char16_t*) { return false; }
bool CImage::LoadFromFileA(const char*) { return false; }
bool CImage::LoadFromMemory(const uint8_t*, uint32_t) { return false; }
bool CImage::LoadPng(const uint8_t*, uint32_t) { return false; }
bool CImage::LoadPngFile(const char16_t*) { return false; }
bool CImage::LoadPngFileA(const char*) { return false; }
bool CImage::LoadPngResource(ModuleHandle, int) { return false; }
bool CImage::LoadJpeg(const uint8_t*, uint32_t) { return false; }
bool CImage::LoadJpegFile(const char16_t*) { return false; }
bool CImage::LoadJpegFileA(const char*) { return false; }
bool CImage::LoadJpegResource(ModuleHandle, int) { return false; }
bool CImage::SaveJpeg(uint8_t*, uint32_t*, int) { return false; }
bool CImage::SaveJpegFile(const char16_t*, int) { return false; }
bool CImage::SaveJpegFileA(const char*, int) { return false; }
bool CImage::ReservedSave(int, int, int) { return false; }
bool CImage::CreateFromBitmap(HBITMAP, int, int) { return false; }
bool CImage::Create(int, int, int, const void*) { return false; }
void CImage::Free() {}
void CImage::Clear() {}
int CImage::GetWidth() const { return width_; }
int CImage::GetHeight() const { return height_; }
int CImage::GetBitCount() const { return bitCount_; }
uint8_t* CImage::GetBits() const { return pixels_; }
HBITMAP CImage::GetBitmap() const { return bitmap_.Get(); }
HICON CImage::CreateIcon() const { return nullptr; }
CImage::~CImage() { Free(); }
