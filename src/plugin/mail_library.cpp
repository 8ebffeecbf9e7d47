#include "plugin/mail_library.h"

#include "platform/program_path.h"
#include "platform/prompt.h"

bool MailLibrary::Load(const std::string& folder, const std::string& fileName, IPrompt& prompt) {
  bound_ = false;
  if (!folder.empty()) module_ = SharedLibrary::Open(JoinPath(folder, fileName));
  if (!module_) {
    prompt.Show(fileName + " open error.", "", PromptButtons::kOk);
    return false;
  }
  initmail = module_.Get<SmInitMailFn>("sm_initmail");
  destroymail = module_.Get<SmDestroyMailFn>("sm_destroymail");
  sendmail = module_.Get<SmSendMailFn>("sm_sendmail");
  set_schdata2mail = module_.Get<SmSetSchData2MailFn>("sm_set_schdata2mail");
  template_explain_top = module_.Get<SmTemplateExplainTopFn>("sm_template_explain_top");
  template_explain_get_and_next =
      module_.Get<SmTemplateExplainGetAndNextFn>("sm_template_explain_get_and_next");
  bound_ = initmail && destroymail && sendmail && set_schdata2mail && template_explain_top &&
           template_explain_get_and_next;
  if (!bound_) prompt.Show("Smail function load error.", "", PromptButtons::kOk);
  return bound_;
}
