#include "vaskel_sk.h"
// placeholder: replaced by the real engine object
VK_SK_Engine::VK_SK_Engine(bool) {}
VK_SK_Engine::~VK_SK_Engine() {}
void VK_SK_Engine::initGL(bool) {}
