#include "vaskel_texture.h"
// placeholder: replaced by the real texture loader
char deb[] = "VK_TEXTURE.txt";
bool vkReadTGA(FILE*, VK_TGA_IMAGE*) { return false; }
VK_TEXTURE::VK_TEXTURE() {}
VK_TEXTURE::VK_TEXTURE(const char*, bool) {}
VK_TEXTURE::~VK_TEXTURE() {}
void VK_TEXTURE::LoadBMP(const char*) {}
bool VK_TEXTURE::LoadTGA(const char*) { return false; }
VK_SPRITE::VK_SPRITE() {}
VK_SPRITE::VK_SPRITE(const char*, bool) {}
VK_SPRITE::~VK_SPRITE() {}
void VK_SPRITE::Draw(int, int) {}
void aresize(float, float, res_mode) {}
