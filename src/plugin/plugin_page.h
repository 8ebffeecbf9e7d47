#pragma once
// What every page of the plug-in carries for the plug-in frame: its plug-in
// name, the size of the parameter record it accepts and its handle, and the
// operations the frame forwards to it.
#include <cstdint>
#include <string>

struct PropertyHandle;

class PluginPage {
 public:
  virtual ~PluginPage() = default;

  // Takes a copy of name when it is non-null and non-empty; always takes
  // size. Gives 1.
  int SetInfo(const char* name, int32_t size);
  const std::string& GetName() const { return name_; }
  int32_t GetParamSize() const { return paramSize_; }
  void SetHandle(PropertyHandle* handle) { handle_ = handle; }
  PropertyHandle* GetHandle() const { return handle_; }

  virtual int Load() = 0;
  virtual int Save() = 0;
  virtual void Run() = 0;
  // Copies exactly GetParamSize() bytes from data; gives 1.
  virtual int SetParam(const void* data) = 0;

 private:
  std::string name_;
  int32_t paramSize_ = 0;
  PropertyHandle* handle_ = nullptr;  // owned by the manager
};
