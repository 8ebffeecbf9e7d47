#include "plugin/smail_settings.h"

#include "boundary/nimbra_boundary.h"

int32_t MailFlagsFor(const SMailSettings& s) {
  int32_t flags = s.m_sm_temp_check ? kMailFlagTemplate : kMailFlagAlways;
  if (s.m_sm_info_check) flags |= kMailFlagVerbose;
  return flags;
}
