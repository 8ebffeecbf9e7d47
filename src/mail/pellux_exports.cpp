// The six exports of the mail library over its one mail object. The texts the
// object points to are owned here; no exception leaves an export.
#include <string>

#include "boundary/nimbra_boundary.h"
#include "mail/mail_compose.h"
#include "platform/launcher.h"
#include "platform/prompt.h"

namespace {

constexpr const char* kNoTitle = "notitle";
constexpr const char* kDefaultTemplate = "testmail.txt";

// The storage behind the mail object's pointers.
struct MailState {
  std::string path, server, src, dst, title, text, file, templateFile;
  MailTemplate tmpl{};
  MailObject object{};

  // Empties the object: every text released, every pointer null, flags 1.
  void Reset() {
    for (std::string* s : {&path, &server, &src, &dst, &title, &text, &file, &templateFile})
      std::string().swap(*s);
    tmpl = MailTemplate{};
    object = MailObject{};
    object.sm_flags = kMailFlagAlways;
  }
};

MailState& State() {
  static MailState state;
  return state;
}

// True for the library's own object once sm_initmail has filled it.
bool IsLive(const MailObject* mail) {
  return mail != nullptr && mail == &State().object && mail->sm_path != nullptr;
}

}  // namespace

extern "C" MailObject* sm_initmail(const char* sm_path, const char* sm_server,
                                   const char* sm_src_addr, const char* sm_dst_addr,
                                   const char* sm_title, const char* file,
                                   const char* template_path, int32_t flags) {
  MailState& st = State();
  st.Reset();
  if (!sm_path || !sm_server || !sm_src_addr || !sm_dst_addr) return nullptr;
  try {
    st.path = sm_path;
    st.server = sm_server;
    st.src = sm_src_addr;
    st.dst = sm_dst_addr;
    st.title = sm_title ? sm_title : kNoTitle;
    st.file = file ? file : "";
  } catch (...) {
    st.Reset();
    return nullptr;
  }
  MailObject& m = st.object;
  m.sm_path = st.path.data();
  m.sm_server = st.server.data();
  m.sm_src_addr = st.src.data();
  m.sm_dst_addr = st.dst.data();
  m.sm_title = st.title.data();
  m.sm_file = st.file.data();
  m.sm_flags = kMailFlagAlways | flags;
  try {
    st.templateFile = template_path ? template_path : kDefaultTemplate;
    st.tmpl.file = st.templateFile.data();
    st.tmpl.keys = kMailKeyTable;
    st.tmpl.cursor = nullptr;
    m.sm_template = &st.tmpl;
  } catch (...) {
    m.sm_template = nullptr;  // mail still works; only the template is missing
  }
  return &m;
}

extern "C" int32_t sm_destroymail(MailObject* mail) {
  if (mail == &State().object) State().Reset();
  return 0;
}

extern "C" int32_t sm_set_schdata2mail(MailObject* mail, const ScheduleEntry* data) {
  if (!IsLive(mail) || data == nullptr) return 0;
  MailState& st = State();
  try {
    MailArguments args;
    args.server = st.server;
    args.src_addr = st.src;
    args.dst_addr = st.dst;
    args.title = st.title;
    args.file = st.file;
    args.flags = mail->sm_flags;
    std::string text = BuildArgumentText(args, *data);
    mail->sm_text = nullptr;
    st.text = std::move(text);
    mail->sm_text = st.text.data();
  } catch (...) {
    // No memory for the text: sm_text stays as it was, and a null text
    // makes the following send refuse.
  }
  if (mail->sm_flags & kMailFlagTemplate) {
    try {
      if (mail->sm_template == nullptr || mail->sm_template->file == nullptr) {
        SystemPrompt().Show("error", "file", PromptButtons::kOk);
      } else {
        (void)WriteTemplateBody(mail->sm_template->file, st.file, *data, SystemPrompt());
      }
    } catch (...) {
    }
  }
  return 0;
}

extern "C" int32_t sm_sendmail(MailObject* mail, const char* text) {
  if (text == nullptr || !IsLive(mail)) return -1;
  try {
    switch (RunMailer(MailerCommandLine(mail->sm_path, text), SystemLauncher())) {
      case MailerRun::kEnded:
        return 0;
      case MailerRun::kStillRunning:
        return 1;  // the mail may yet go; the caller is free again
      case MailerRun::kNotRun:
        break;
    }
    return -1;
  } catch (...) {
    return -1;
  }
}

extern "C" MailTemplate* sm_template_explain_top(MailObject* mail) {
  if (!IsLive(mail) || mail->sm_template == nullptr) return nullptr;
  MailTemplate* t = mail->sm_template;
  t->cursor = t->keys;
  return t;
}

extern "C" int32_t sm_template_explain_get_and_next(MailTemplate* iterator, const char** key,
                                                    const char** description) {
  if (iterator == nullptr || iterator->cursor == nullptr || iterator->cursor->key == nullptr)
    return 0;
  const MailKeyRow* row = iterator->cursor;
  if (key) *key = row->key;
  if (description) *description = row->description;
  iterator->cursor = (row + 1)->key != nullptr ? row + 1 : nullptr;
  return 1;
}
