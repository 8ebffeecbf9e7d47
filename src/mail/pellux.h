#pragma once
// The interface of the mail library Pellux: six plain C functions over one
// mail object. Every text is zero-terminated Shift-JIS and passes through
// untouched. The plug-in includes this header to bind the library at run time
// and to read the argument text from the mail object.
#include <cstddef>
#include <cstdint>

#include "platform/system_time.h"

// The schedule record the library reads: the program's schedule record, byte
// for byte, so the plug-in hands its stored copy over unchanged.
#pragma pack(push, 1)
struct MailScheduleData {
  SystemTime s;       // start, local time
  SystemTime e;       // end, local time
  char title[512];    // zero-terminated Shift-JIS
  int32_t state;      // not used here
  int32_t loop;       // nonzero: repeating
  int32_t loop_meth;  // not used here
  int32_t b_way;      // not used here
  int32_t kikan_f;    // nonzero: the repetition has a period
  SystemTime kikan_s;
  SystemTime kikan_e;
};
#pragma pack(pop)
static_assert(sizeof(MailScheduleData) == 596, "MailScheduleData is the 596-byte schedule record");
static_assert(offsetof(MailScheduleData, title) == 32, "layout");
static_assert(offsetof(MailScheduleData, loop) == 548, "layout");
static_assert(offsetof(MailScheduleData, kikan_f) == 560, "layout");
static_assert(offsetof(MailScheduleData, kikan_s) == 564, "layout");
static_assert(offsetof(MailScheduleData, kikan_e) == 580, "layout");

// One row of the replacement-key table; the table ends with a row of nulls.
struct MailKeyRow {
  const char* key;
  const char* description;  // Shift-JIS
};

// The template a mail body is expanded from, and the cursor of the key
// listing that explains it.
struct MailTemplate {
  char* file;                // template file name
  const MailKeyRow* keys;    // the library's constant key table
  const MailKeyRow* cursor;  // next row to list, null when the listing is done
};

// The one mail object of the library, filled by sm_initmail. The pointers are
// owned by the library; callers read sm_text and must not release anything.
struct MailObject {
  char* sm_path;      // mailer program
  char* sm_server;    // after "-h"
  char* sm_src_addr;  // after "-f"
  char* sm_dst_addr;  // last argument
  char* sm_title;     // after "-s"
  char* sm_text;      // argument text, null until sm_set_schdata2mail built it
  char* sm_file;      // body file, after "-F"
  int32_t sm_flags;   // kMailFlag* bits
  MailTemplate* sm_template;
};

constexpr int32_t kMailFlagAlways = 0x0001;    // always set, no effect
constexpr int32_t kMailFlagTemplate = 0x0002;  // body from the template ("-F"), else "-T"
constexpr int32_t kMailFlagVerbose = 0x1000;   // "-i"
constexpr int32_t kMailFlagDebug = 0x2000;     // "-d"

extern "C" {
MailObject* sm_initmail(const char* sm_path, const char* sm_server, const char* sm_src_addr,
                        const char* sm_dst_addr, const char* sm_title, const char* file,
                        const char* template_path, int32_t flags);
int32_t sm_destroymail(MailObject* mail);
int32_t sm_sendmail(MailObject* mail, const char* text);
int32_t sm_set_schdata2mail(MailObject* mail, const MailScheduleData* data);
MailTemplate* sm_template_explain_top(MailObject* mail);
int32_t sm_template_explain_get_and_next(MailTemplate* iterator, const char** key,
                                         const char** description);
}

// The types of the exports, for binding them by name.
using SmInitMailFn = decltype(&sm_initmail);
using SmDestroyMailFn = decltype(&sm_destroymail);
using SmSendMailFn = decltype(&sm_sendmail);
using SmSetSchData2MailFn = decltype(&sm_set_schdata2mail);
using SmTemplateExplainTopFn = decltype(&sm_template_explain_top);
using SmTemplateExplainGetAndNextFn = decltype(&sm_template_explain_get_and_next);
