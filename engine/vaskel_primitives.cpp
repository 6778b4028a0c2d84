#include "vaskel_primitives.h"
// placeholder: replaced by the real cube
VK_PRIMITIVE::VK_PRIMITIVE(float, float, float, VK_TEXTURE*) {}
VK_PRIMITIVE::VK_PRIMITIVE() {}
VK_PRIMITIVE::~VK_PRIMITIVE() {}
void VK_PRIMITIVE::Draw() {}
VK_CUBE::VK_CUBE(float, float, float, VK_TEXTURE*, VK_TEXTURE*, VK_TEXTURE*) {}
VK_CUBE::VK_CUBE() {}
VK_CUBE::~VK_CUBE() {}
void VK_CUBE::Draw() {}
void VK_CUBE::SetList(unsigned) {}
unsigned VK_CUBE::MakeList() { return 0; }
void VK_CUBE::DrawS() {}
