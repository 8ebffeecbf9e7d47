#pragma once
// The program as the handler of the iEPG extensions: the settings sheet's
// OK associates the ticked extensions and gives the others back to the
// handler they had before, after backing their registry keys up once.
//
// Keys are written to the current user's classes, which HKEY_CLASSES_ROOT
// merges over the machine's, so no administrator rights are needed; the
// handler an extension has is read through HKEY_CLASSES_ROOT.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core_services.h"
#include "platform/system_time.h"

class CNimbraDoc;
class ILauncher;
class IRegistry;

// The program's file type and its description.
inline constexpr const char* kProgId = "Tz_auto";
inline constexpr const char* kProgIdDescription = "nimbra file";
// The name the backup file ends with.
inline constexpr const char* kBackupName = "ext_bak.reg";
// How long one reg.exe export may take.
constexpr unsigned kExportTimeoutMs = 30000;

// The open command: the module path in quotes, a blank and "%1" in quotes.
// Unquoted, a blank in the path (a user name with a blank puts one in the
// per-user install folder) makes Windows try the path's first word as a
// program before ours.
std::string OpenCommandFor(const std::string& modulePath);
// "%d年%02d月%02d日 %d時%d分%d秒" of t (UTF-8): the backup file's date.
std::string BackupDateText(const SystemTime& t);
// Appends src's bytes unchanged to dst (created when missing). False when
// either could not be opened or not everything was written.
bool AppendFile(const std::string& src, const std::string& dst);

// True when progId is a file type an iEPG extension may be given back to: it
// exists, has an open command, and that command neither runs the opened file
// itself nor belongs to a type that runs or installs what it opens (a
// program, a script, a shortcut, a registry file...). The remembered handler
// comes from the settings file, which anyone who can write the program's
// folder can change.
bool IsRestorableHandler(IRegistry& registry, const std::string& progId);

enum class AssociationResult {
  kDone,
  kWriteFailed,  // a key or value could not be written
};

class CFileAssociation {
 public:
  // modulePath: the program's full path, for the open command and its folder.
  // services: the backup's date and the debug log.
  CFileAssociation(CNimbraDoc& doc, const CoreServices& services, IRegistry& registry,
                   ILauncher& launcher, std::string modulePath);

  // The settings sheet's OK with the EPG page's extension bits, listings
  // site and recording program (UTF-8): the backup on first use, the
  // associations, the stored values, then the settings file. Failures are
  // told to the user.
  void ApplyEpgSettings(int32_t selExt, int32_t tvId, const std::string& appPath);

  // Makes the program ext's handler, remembering the handler it had.
  AssociationResult AssociateExtension(const std::string& ext, const std::string& command);
  // Gives ext back to its remembered handler, while it is still ours.
  AssociationResult UnassociateExtension(const std::string& ext);
  // True when Windows' own per-user choice for ext opens it with something
  // else, whatever the registration says.
  bool IsOverriddenByUserChoice(const std::string& ext);

  // Exports the four extensions' keys into one file in the program folder
  // (prog_path) named BackupDateText + "_" + name, waiting for each export.
  // Tells the user whether it worked; true when the file was written.
  bool BackupExtRegistry(const std::string& name);
  // Runs "reg.exe EXPORT HKCR\<ext> <dir>\<file> /y" and waits for it; true
  // when it ended well and the file is there.
  bool ExportRegistryKey(const std::string& ext, const std::string& file, const std::string& dir);

 private:
  AssociationResult EnsureProgId(const std::string& command);

  CNimbraDoc& doc_;
  const CoreServices services_;
  IRegistry& registry_;
  ILauncher& launcher_;
  std::string modulePath_;
};
