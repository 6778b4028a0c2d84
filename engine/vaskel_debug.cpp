#include "vaskel_debug.h"
// placeholder: replaced by the real log writer
void vkLog(const char*, const char*) {}
void vkLogClear(const char*) {}
