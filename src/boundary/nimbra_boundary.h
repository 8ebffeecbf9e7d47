#pragma once
// What crosses between the three deliverables, declared once for all of them:
// the 596-byte schedule record the program hands to the settings plug-in and
// the plug-in hands on to the mail library, the settings sheet record of
// PLG_AddPage, the mail object, and the exports of the plug-in (Pelluxdlg)
// and of the mail library (Pellux) with their pointer types, for binding them
// by name. Plain C, so that any of the three could be built by another
// compiler; compile-time checks pin every byte of the records' layout.
// Every text is zero-terminated Shift-JIS and passes through untouched.
#include <stddef.h>
#include <stdint.h>

#include "platform/system_time.h"

#ifdef __cplusplus
#define NIMBRA_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define NIMBRA_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- The schedule record ----

// Title bytes including the terminating zero.
#define NIMBRA_TITLE_SIZE 512
#define NIMBRA_SCHEDULE_ENTRY_SIZE 596

#pragma pack(push, 1)
typedef struct ScheduleEntry {
  SystemTime s;                   // start, local time
  SystemTime e;                   // end, local time
  char title[NIMBRA_TITLE_SIZE];  // zero-terminated Shift-JIS, at most 511 bytes
  int32_t state;                  // 0 waiting, 1 running, 2 finished
  int32_t loop;                   // 0 one-shot, 1 repeating
  int32_t loop_meth;              // repeat method index 0-5
  int32_t b_way;                  // weekday set: bit 0 Sunday ... bit 6 Saturday
  int32_t kikan_f;                // 1 when the repetition ends at kikan_e
  SystemTime kikan_s;             // period start date (time fields 0)
  SystemTime kikan_e;             // period end date (time fields 0)
} ScheduleEntry;
#pragma pack(pop)

NIMBRA_STATIC_ASSERT(sizeof(ScheduleEntry) == NIMBRA_SCHEDULE_ENTRY_SIZE,
                     "ScheduleEntry is a 596-byte record");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, s) == 0, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, e) == 16, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, title) == 32, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, state) == 544, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, loop) == 548, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, loop_meth) == 552, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, b_way) == 556, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, kikan_f) == 560, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, kikan_s) == 564, "layout");
NIMBRA_STATIC_ASSERT(offsetof(ScheduleEntry, kikan_e) == 580, "layout");

// ---- The settings sheet as the plug-in sees it: the first argument of PLG_AddPage ----
//
// A plain C record, so that no C++ object of the program crosses into the
// plug-in and none of the plug-in's crosses back; only a page handle of the
// system does. How a plug-in adds a page on Windows:
//   1. it fills a PROPSHEETPAGEW with hInstance = its own module and
//      pszTemplate = its own dialog template, and creates the page with
//      CreatePropertySheetPageW (its dialog procedure and page object stay
//      inside the plug-in);
//   2. it calls sheet->AddPage(sheet, page) with the HPROPSHEETPAGE;
//   3. on 1 the sheet owns the page: the system destroys it with the sheet
//      (which runs the page's PSPCB_RELEASE callback, where the plug-in frees
//      its page object). On 0 the page stays the plug-in's, which destroys it
//      with DestroyPropertySheetPage.
// The record and its callback are valid only during the PLG_AddPage call.
// The sheet is shown after PLG_AddPage returns, and is gone before the
// program calls PLG_Destroy.
//
// Platforms without property sheets have no pages to add; there the
// program's sheet is not shown and PLG_AddPage adds nothing.
typedef struct PluginSheet PluginSheet;

// Takes one page made by the plug-in (an HPROPSHEETPAGE on Windows). 1 when
// the sheet took it, 0 when it did not.
typedef int32_t (*PluginSheetAddPageFn)(PluginSheet* sheet, void* page);

struct PluginSheet {
  uint32_t size;                 // sizeof(PluginSheet): a record of another size is refused
  void* owner;                   // the program's own; the plug-in leaves it alone
  PluginSheetAddPageFn AddPage;  // C calling convention
};

// ---- The settings plug-in Pelluxdlg: sixteen functions ----

// The manager and the handles are the plug-in's own; the program holds them
// only as pointers.
#ifdef __cplusplus
class PluginManager;
struct PropertyHandle;
#else
typedef struct PluginManager PluginManager;
typedef struct PropertyHandle PropertyHandle;
#endif

PluginManager* PLG_Init(void);
void PLG_Destroy(PluginManager* manager);
void PLG_Load(PluginManager* manager);
void PLG_Save(PluginManager* manager);
void PLG_Run(PluginManager* manager);
int32_t PLG_RunInit(PluginManager* manager);
int32_t PLG_GetSize(PluginManager* manager);
// Hands each item's page window to sheet.
void PLG_AddPage(PluginSheet* sheet, PluginManager* manager);
void PLG_GetVersion(PluginManager* manager, const char** version);
void* PLG_GetPlugin(void* any);
void* PLG_SetPlugin(void* any);
PropertyHandle* PLG_GetPropertyHandle(PluginManager* manager, const char* name);
// data is the item's record (for "smail" a ScheduleEntry) of size bytes.
int32_t PRO_SetParam(PropertyHandle* handle, const void* data, int32_t size);
int32_t PRO_GetParamSize(PropertyHandle* handle);
int32_t PRO_Run(PropertyHandle* handle);
int32_t PRO_RunInit(void* ignored);

typedef PluginManager* (*PlgInitFn)(void);
typedef void (*PlgDestroyFn)(PluginManager* manager);
typedef void (*PlgLoadFn)(PluginManager* manager);
typedef void (*PlgSaveFn)(PluginManager* manager);
typedef void (*PlgRunFn)(PluginManager* manager);
typedef int32_t (*PlgRunInitFn)(PluginManager* manager);
typedef int32_t (*PlgGetSizeFn)(PluginManager* manager);
typedef void (*PlgAddPageFn)(PluginSheet* sheet, PluginManager* manager);
typedef void (*PlgGetVersionFn)(PluginManager* manager, const char** version);
typedef void* (*PlgGetPluginFn)(void* any);
typedef void* (*PlgSetPluginFn)(void* any);
typedef PropertyHandle* (*PlgGetPropertyHandleFn)(PluginManager* manager, const char* name);
typedef int32_t (*ProSetParamFn)(PropertyHandle* handle, const void* data, int32_t size);
typedef int32_t (*ProGetParamSizeFn)(PropertyHandle* handle);
typedef int32_t (*ProRunFn)(PropertyHandle* handle);
typedef int32_t (*ProRunInitFn)(void* ignored);

// ---- The mail library Pellux: six functions over one mail object ----

// One row of the replacement-key table; the table ends with a row of nulls.
typedef struct MailKeyRow {
  const char* key;
  const char* description;  // Shift-JIS
} MailKeyRow;

// The template a mail body is expanded from, and the cursor of the key
// listing that explains it.
typedef struct MailTemplate {
  char* file;                // template file name
  const MailKeyRow* keys;    // the library's constant key table
  const MailKeyRow* cursor;  // next row to list, null when the listing is done
} MailTemplate;

// The one mail object of the library, filled by sm_initmail. The pointers are
// owned by the library; callers read sm_text and must not release anything.
typedef struct MailObject {
  char* sm_path;      // mailer program
  char* sm_server;    // after "-h"
  char* sm_src_addr;  // after "-f"
  char* sm_dst_addr;  // last argument
  char* sm_title;     // after "-s"
  char* sm_text;      // argument text, null until sm_set_schdata2mail built it
  char* sm_file;      // body file, after "-F"
  int32_t sm_flags;   // kMailFlag* bits
  MailTemplate* sm_template;
} MailObject;

// The bits of sm_initmail's flags.
enum {
  kMailFlagAlways = 0x0001,    // always set, no effect
  kMailFlagTemplate = 0x0002,  // body from the template ("-F"), else "-T"
  kMailFlagVerbose = 0x1000,   // "-i"
  kMailFlagDebug = 0x2000,     // "-d"
};

MailObject* sm_initmail(const char* sm_path, const char* sm_server, const char* sm_src_addr,
                        const char* sm_dst_addr, const char* sm_title, const char* file,
                        const char* template_path, int32_t flags);
int32_t sm_destroymail(MailObject* mail);
// Runs the mailer with text: 0 when it ended, 1 when it was still running
// after the wait (it is left running), -1 when nothing was run.
int32_t sm_sendmail(MailObject* mail, const char* text);
// Builds sm_text from the schedule record (the plug-in's stored copy of the
// program's record, unchanged).
int32_t sm_set_schdata2mail(MailObject* mail, const ScheduleEntry* data);
MailTemplate* sm_template_explain_top(MailObject* mail);
int32_t sm_template_explain_get_and_next(MailTemplate* iterator, const char** key,
                                         const char** description);

typedef MailObject* (*SmInitMailFn)(const char* sm_path, const char* sm_server,
                                    const char* sm_src_addr, const char* sm_dst_addr,
                                    const char* sm_title, const char* file,
                                    const char* template_path, int32_t flags);
typedef int32_t (*SmDestroyMailFn)(MailObject* mail);
typedef int32_t (*SmSendMailFn)(MailObject* mail, const char* text);
typedef int32_t (*SmSetSchData2MailFn)(MailObject* mail, const ScheduleEntry* data);
typedef MailTemplate* (*SmTemplateExplainTopFn)(MailObject* mail);
typedef int32_t (*SmTemplateExplainGetAndNextFn)(MailTemplate* iterator, const char** key,
                                                 const char** description);

#ifdef __cplusplus
}  // extern "C"

// Each pointer type is exactly its export's type.
#include <type_traits>
#define NIMBRA_SAME_TYPE(fn, type) \
  static_assert(std::is_same<decltype(&fn), type>::value, #type " matches " #fn)
NIMBRA_SAME_TYPE(PLG_Init, PlgInitFn);
NIMBRA_SAME_TYPE(PLG_Destroy, PlgDestroyFn);
NIMBRA_SAME_TYPE(PLG_Load, PlgLoadFn);
NIMBRA_SAME_TYPE(PLG_Save, PlgSaveFn);
NIMBRA_SAME_TYPE(PLG_Run, PlgRunFn);
NIMBRA_SAME_TYPE(PLG_RunInit, PlgRunInitFn);
NIMBRA_SAME_TYPE(PLG_GetSize, PlgGetSizeFn);
NIMBRA_SAME_TYPE(PLG_AddPage, PlgAddPageFn);
NIMBRA_SAME_TYPE(PLG_GetVersion, PlgGetVersionFn);
NIMBRA_SAME_TYPE(PLG_GetPlugin, PlgGetPluginFn);
NIMBRA_SAME_TYPE(PLG_SetPlugin, PlgSetPluginFn);
NIMBRA_SAME_TYPE(PLG_GetPropertyHandle, PlgGetPropertyHandleFn);
NIMBRA_SAME_TYPE(PRO_SetParam, ProSetParamFn);
NIMBRA_SAME_TYPE(PRO_GetParamSize, ProGetParamSizeFn);
NIMBRA_SAME_TYPE(PRO_Run, ProRunFn);
NIMBRA_SAME_TYPE(PRO_RunInit, ProRunInitFn);
NIMBRA_SAME_TYPE(sm_initmail, SmInitMailFn);
NIMBRA_SAME_TYPE(sm_destroymail, SmDestroyMailFn);
NIMBRA_SAME_TYPE(sm_sendmail, SmSendMailFn);
NIMBRA_SAME_TYPE(sm_set_schdata2mail, SmSetSchData2MailFn);
NIMBRA_SAME_TYPE(sm_template_explain_top, SmTemplateExplainTopFn);
NIMBRA_SAME_TYPE(sm_template_explain_get_and_next, SmTemplateExplainGetAndNextFn);
#undef NIMBRA_SAME_TYPE
#endif
