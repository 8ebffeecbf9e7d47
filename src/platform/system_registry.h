#pragma once
// The registry the program works on: the Windows registry, or on other
// platforms an in-memory one that lives as long as the process.
#include "platform/registry.h"

IRegistry& SystemRegistry();
