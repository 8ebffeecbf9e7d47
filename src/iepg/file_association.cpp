#include "iepg/file_association.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/program_path.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"

namespace {

const std::string kCommandKey = std::string(kProgId) + "\\shell\\open\\Command";

// Where Windows keeps the user's own choice of program for an extension.
std::string UserChoiceKey(const std::string& ext) {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + ext +
         "\\UserChoice";
}

// What reg.exe writes for an export of nothing: a file that imports as no change.
std::string EmptyRegFile() {
  const char text[] = "Windows Registry Editor Version 5.00\r\n\r\n";
  std::string out = "\xFF\xFE";  // UTF-16LE, as reg.exe writes
  for (const char* p = text; *p; ++p) {
    out.push_back(*p);
    out.push_back('\0');
  }
  return out;
}

// File types whose open verb runs the file, runs it as a script, follows
// it to a program or imports it into the system.
constexpr const char* kExecutableTypes[] = {
    "exefile",       "batfile",     "cmdfile",      "comfile",       "scrfile",
    "piffile",       "htafile",     "vbsfile",      "vbefile",       "jsfile",
    "jsefile",       "wsffile",     "wshfile",      "scriptletfile", "lnkfile",
    "regfile",       "inffile",     "cplfile",      "mscfile",       "InternetShortcut",
    "Application.Manifest", "Application.Reference", "Microsoft.PowerShellScript.1",
    "Microsoft.PowerShellModule.1", "Python.File", "Python.NoConFile", "Perl",
};

bool IsExecutableType(const std::string& progId) {
  for (const char* type : kExecutableTypes)
    if (EqualsIgnoringAsciiCase(progId, type)) return true;
  // Windows Installer packages and patches: Msi.Package, Msi.Patch, msifile...
  return progId.size() >= 3 && EqualsIgnoringAsciiCase(progId.substr(0, 3), "msi");
}

// True when the command starts the opened file itself ("%1" %*).
bool CommandRunsTheFile(const std::string& command) {
  size_t i = command.find_first_not_of(" \t");
  if (i == std::string::npos) return true;  // nothing to start: not a handler
  if (command[i] == '"') ++i;
  return command.size() >= i + 2 && command[i] == '%' &&
         (command[i + 1] == '1' || AsciiLower(command[i + 1]) == 'l');
}

std::string JoinedExtensions(const std::vector<std::string>& exts) {
  std::string out;
  for (const auto& e : exts) out += (out.empty() ? "" : " ") + e;
  return out;
}

}  // namespace

std::string OpenCommandFor(const std::string& modulePath) {
  return "\"" + modulePath + "\" \"%1\"";
}

std::string BackupDateText(const SystemTime& t) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%d年%02d月%02d日 %d時%d分%d秒", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return buf;
}

bool AppendFile(const std::string& src, const std::string& dst) {
  return CopyFileContents(src, dst, CopyKind::kAppendedBytes);
}

bool IsRestorableHandler(IRegistry& registry, const std::string& progId) {
  if (progId.empty() || progId.find('\\') != std::string::npos ||
      EqualsIgnoringAsciiCase(progId, kProgId) || IsExecutableType(progId))
    return false;
  if (!registry.KeyExists(RegistryRoot::kClassesRoot, progId)) return false;
  const auto command =
      registry.ReadString(RegistryRoot::kClassesRoot, progId + "\\shell\\open\\command", "");
  return command && !CommandRunsTheFile(*command);
}

CFileAssociation::CFileAssociation(CNimbraDoc& doc, const CoreServices& services,
                                   IRegistry& registry, ILauncher& launcher, std::string modulePath)
    : doc_(doc),
      services_(services),
      registry_(registry),
      launcher_(launcher),
      modulePath_(std::move(modulePath)) {}

AssociationResult CFileAssociation::EnsureProgId(const std::string& command) {
  const KeyStatus progId = registry_.CreateKey(RegistryRoot::kUserClasses, kProgId);
  if (progId == KeyStatus::kFailed) return AssociationResult::kWriteFailed;
  bool ok = true;
  // A new file type gets its description and shell keys; an existing one
  // keeps them, and only a command that no longer names this program (it
  // was moved) is rewritten.
  if (progId == KeyStatus::kCreated ||
      !registry_.ReadString(RegistryRoot::kUserClasses, kProgId, "")) {
    ok = registry_.WriteString(RegistryRoot::kUserClasses, kProgId, "", kProgIdDescription) && ok;
  }
  const std::string shell = std::string(kProgId) + "\\shell";
  if (!registry_.KeyExists(RegistryRoot::kUserClasses, shell))
    ok = registry_.WriteString(RegistryRoot::kUserClasses, shell, "", "") && ok;
  if (registry_.ReadString(RegistryRoot::kUserClasses, kCommandKey, "") != command)
    ok = registry_.WriteString(RegistryRoot::kUserClasses, kCommandKey, "", command) && ok;
  return ok ? AssociationResult::kDone : AssociationResult::kWriteFailed;
}

AssociationResult CFileAssociation::AssociateExtension(const std::string& ext,
                                                       const std::string& command) {
  if (registry_.KeyExists(RegistryRoot::kClassesRoot, ext)) {
    const auto current = registry_.ReadString(RegistryRoot::kClassesRoot, ext, "");
    if (current && !current->empty() && *current != kProgId)
      doc_.AppInfo().Associations().RememberAssociation(ext, *current);
  }
  if (EnsureProgId(command) != AssociationResult::kDone) {
    services_.log.Write("association: cannot write %s for %s", kProgId, ext.c_str());
    return AssociationResult::kWriteFailed;
  }
  if (!registry_.WriteString(RegistryRoot::kUserClasses, ext, "", kProgId)) {
    services_.log.Write("association: cannot write %s", ext.c_str());
    return AssociationResult::kWriteFailed;
  }
  return AssociationResult::kDone;
}

AssociationResult CFileAssociation::UnassociateExtension(const std::string& ext) {
  const char* previous = doc_.AppInfo().Associations().LookupAssociation(ext);
  if (!previous) return AssociationResult::kDone;
  if (!registry_.KeyExists(RegistryRoot::kClassesRoot, ext)) return AssociationResult::kDone;
  // Only an extension that is still ours is given back: a handler the user
  // chose since then stays.
  if (registry_.ReadString(RegistryRoot::kClassesRoot, ext, "") != std::string(kProgId))
    return AssociationResult::kDone;
  // A handler that would run a downloaded file as a program, or that no
  // longer exists, is never given back: the extension stays ours.
  if (!IsRestorableHandler(registry_, previous)) {
    services_.log.Write("association: %s is not given back to %s: not a document type", ext.c_str(),
                        previous);
    return AssociationResult::kDone;
  }
  if (!registry_.WriteString(RegistryRoot::kUserClasses, ext, "", previous)) {
    services_.log.Write("association: cannot give %s back to %s", ext.c_str(), previous);
    return AssociationResult::kWriteFailed;
  }
  return AssociationResult::kDone;
}

bool CFileAssociation::IsOverriddenByUserChoice(const std::string& ext) {
  const auto choice =
      registry_.ReadString(RegistryRoot::kCurrentUser, UserChoiceKey(ext), "ProgId");
  return choice && !choice->empty() && *choice != kProgId;
}

bool CFileAssociation::ExportRegistryKey(const std::string& ext, const std::string& file,
                                         const std::string& dir) {
  const std::string path = JoinPath(dir, file);
  const auto code = launcher_.RunAndWait("reg.exe", {"EXPORT", "HKCR\\" + ext, path, "/y"},
                                         kExportTimeoutMs);
  if (!code || *code != 0) {
    services_.log.Write("backup: reg.exe export of %s %s", ext.c_str(),
                        code ? "failed" : "did not end in time");
    return false;
  }
  return FileExists(path);
}

bool CFileAssociation::BackupExtRegistry(const std::string& name) {
  const std::string dir = SjisToUtf8(doc_.AppInfo().GetProgPath());
  std::vector<std::string> exported;
  bool ok = true;
  for (int i = 0; i < GetExtCount(); ++i) {
    const std::string ext = GetExtName(i);
    const std::string file = ext.substr(1) + ".reg";
    const std::string path = JoinPath(dir, file);
    RemoveFile(path);  // never append a stale export
    if (!registry_.KeyExists(RegistryRoot::kClassesRoot, ext)) continue;  // nothing to keep
    if (ExportRegistryKey(ext, file, dir))
      exported.push_back(path);
    else
      ok = false;
  }

  const std::string date = BackupDateText(services_.clock.LocalNow());
  const std::string backup = JoinPath(dir, date + "_" + name);
  RemoveFile(backup);
  if (ok) {
    if (exported.empty()) ok = WriteFileAtomically(backup, EmptyRegFile());
    for (const auto& path : exported) ok = AppendFile(path, backup) && ok;
  }
  for (const auto& path : exported) RemoveFile(path);
  ok = ok && FileExists(backup);

  if (ok) {
    doc_.ShowMessage("正常にバックアップが完了しました。\nバックアップ日時：" + date);
  } else {
    RemoveFile(backup);  // no half backup beside a complete one later
    doc_.ShowMessage(
        "拡張子のレジストリをバックアップできませんでした。\n"
        "関連付けは続けて行います。次に設定をOKしたときに、もう一度バックアップします。");
  }
  return ok;
}

void CFileAssociation::ApplyEpgSettings(int32_t selExt, int32_t tvId,
                                        const std::string& appPath) {
  CAppMngInfo& info = doc_.AppInfo();
  bool canAssociate = true;
  if (info.GetRegBkFlag() == 0) {
    doc_.ShowMessage(
        "拡張子のレジストリをバックアップします。\n【OKボタン】を押すとバックアップを開始します。\n"
        "レジストリのバックアップをDOSコマンドで行うため、\nOKボタンを押した後にDOSプロンプトが表示されます。");
    // The settings file keeps the folder in Shift-JIS. Without it the
    // program cannot keep a backup: leave the registry alone, but keep the
    // user's other settings.
    const std::string folder = DirectoryOf(modulePath_);
    const std::optional<std::string> stored = Utf8ToSjisExact(folder);
    if (!stored) {
      doc_.ShowMessage(
          "プログラムのフォルダのパスに、設定ファイル（Shift-JIS）に保存できない文字が含まれているため、"
          "拡張子のバックアップと関連付けができません。\nフォルダの名前を変えてください。\n" +
          folder);
      canAssociate = false;
    } else if (!info.SetProgPath(*stored)) {
      doc_.ShowMessage(
          "プログラムのフォルダのパスが長すぎるため、拡張子のバックアップと関連付けができません。\n" +
          folder);
      canAssociate = false;
    } else if (BackupExtRegistry(kBackupName)) {
      info.SetRegBkFlag(1);
    }
  }

  if (canAssociate) {
    const std::string command = OpenCommandFor(modulePath_);
    std::vector<std::string> failed, overridden;
    for (int i = 0; i < GetExtCount(); ++i) {
      const std::string ext = GetExtName(i);
      const bool selected = (selExt >> i) & 1;
      const AssociationResult r =
          selected ? AssociateExtension(ext, command) : UnassociateExtension(ext);
      if (r != AssociationResult::kDone)
        failed.push_back(ext);
      else if (selected && IsOverriddenByUserChoice(ext))
        overridden.push_back(ext);
    }
    if (!failed.empty())
      doc_.ShowMessage("次の拡張子の関連付けをレジストリに書き込めませんでした。\n" +
                       JoinedExtensions(failed));
    if (!overridden.empty())
      doc_.ShowMessage("次の拡張子は、Windowsの既定のアプリの設定で別のアプリが選ばれています。\n" +
                       JoinedExtensions(overridden) +
                       "\n\nこれらのファイルを開くアプリは、Windowsの「既定のアプリ」の設定で決まります。");
    info.SetSelExt(selExt);
  }

  const char* url = GetSiteUrl(tvId);
  (void)doc_.SetListingsUrl(url ? url : "");
  info.SetTvId(tvId);
  // The settings file keeps the path in Shift-JIS, exactly or not at all.
  const std::optional<std::string> storedApp = Utf8ToSjisExact(appPath);
  if (!storedApp)
    doc_.ShowMessage(
        "録画ソフトのパスに、設定ファイル（Shift-JIS）に保存できない文字が含まれているため、"
        "設定できませんでした。\n" + appPath);
  else if (!info.SetTvAppPath(*storedApp))
    doc_.ShowMessage("録画ソフトのパスが長すぎるため、設定できませんでした。\n" + appPath);
  (void)doc_.CommitEdit();
}
