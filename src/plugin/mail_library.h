#pragma once
// The mail library Pellux bound at run time: its module and its six exports.
#include <string>

#include "boundary/nimbra_boundary.h"
#include "platform/shared_library.h"
#include "platform/unique_any.h"

class IPrompt;

// What sm_sendmail gives for a mailer still running when its wait ended.
constexpr int32_t kSendStillRunning = 1;

// A mail object of the library, destroyed through the library's own export.
struct MailObjectTraits {
  SmDestroyMailFn destroy = nullptr;
  static MailObject* Invalid() { return nullptr; }
  void Close(MailObject* mail) const {
    if (destroy) destroy(mail);
  }
};
using UniqueMail = UniqueAny<MailObject*, MailObjectTraits>;

class MailLibrary {
 public:
  // Loads fileName ("Pellux.dll") from folder, never through the search
  // order: the current directory may be a download folder. Reports a
  // library that cannot be loaded ("%s open error.") or lacks an export
  // ("Smail function load error."); then the library is not bound, and a
  // loaded one stays loaded until this object goes.
  bool Load(const std::string& folder, const std::string& fileName, IPrompt& prompt);
  bool IsBound() const { return bound_; }
  // Owns mail, a mail object this library made (null stays empty).
  UniqueMail Own(MailObject* mail) const { return UniqueMail(mail, MailObjectTraits{destroymail}); }

  SmInitMailFn initmail = nullptr;
  SmDestroyMailFn destroymail = nullptr;
  SmSendMailFn sendmail = nullptr;
  SmSetSchData2MailFn set_schdata2mail = nullptr;
  SmTemplateExplainTopFn template_explain_top = nullptr;
  SmTemplateExplainGetAndNextFn template_explain_get_and_next = nullptr;

 private:
  SharedLibrary module_;
  bool bound_ = false;
};
