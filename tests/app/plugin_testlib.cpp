// A stand-in for the settings plug-in, built three ways: complete, without
// PLG_GetPropertyHandle (PLGTEST_OMIT_HANDLE), and with a PLG_Init that
// declines (PLGTEST_INIT_ZERO). It records every call it gets; the TEST_
// exports let a test read that record.
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#define PLGTEST_EXPORT extern "C" __declspec(dllexport)
#else
#define PLGTEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

struct Manager {
  int items = 1;
};
struct Handle {
  int paramSize = 596;
};

Manager g_manager;
Handle g_handle;
std::string g_log;
std::vector<unsigned char> g_param;
int g_refuseParam = 0;

}  // namespace

PLGTEST_EXPORT void* PLG_Init() {
  g_log += "init;";
#if defined(PLGTEST_INIT_ZERO)
  return nullptr;
#else
  return &g_manager;
#endif
}
PLGTEST_EXPORT void PLG_Destroy(void*) { g_log += "destroy;"; }
PLGTEST_EXPORT void PLG_Save(void*) { g_log += "save;"; }
PLGTEST_EXPORT void PLG_Run(void*) { g_log += "plgrun;"; }
PLGTEST_EXPORT void PLG_Load(void*) { g_log += "load;"; }
PLGTEST_EXPORT void PLG_AddPage(void*, void*) { g_log += "addpage;"; }
PLGTEST_EXPORT void PLG_GetVersion(void*, const char** text) { *text = "plgtest 1.0"; }

#if !defined(PLGTEST_OMIT_HANDLE)
PLGTEST_EXPORT void* PLG_GetPropertyHandle(void*, const char* name) {
  g_log += std::string("handle:") + name + ";";
  return std::strcmp(name, "smail") == 0 ? &g_handle : nullptr;
}
#endif

PLGTEST_EXPORT int PRO_GetParamSize(void* handle) { return static_cast<Handle*>(handle)->paramSize; }
PLGTEST_EXPORT int PRO_SetParam(void*, void* block, int size) {
  g_log += "param:" + std::to_string(size) + ";";
  const auto* bytes = static_cast<const unsigned char*>(block);
  g_param.assign(bytes, bytes + size);
  return g_refuseParam ? 0 : 1;
}
PLGTEST_EXPORT int PRO_Run(void*) {
  g_log += "run;";
  return 1;
}

PLGTEST_EXPORT const char* TEST_Log() { return g_log.c_str(); }
PLGTEST_EXPORT const unsigned char* TEST_Param(int* size) {
  *size = static_cast<int>(g_param.size());
  return g_param.data();
}
PLGTEST_EXPORT void TEST_Reset(int refuseParam) {
  g_log.clear();
  g_param.clear();
  g_refuseParam = refuseParam;
}
