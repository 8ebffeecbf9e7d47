// Compiles the boundary header as C (its layout checks included) and uses
// each record once, as a C caller of either library would.
#include "boundary/nimbra_boundary.h"

size_t NimbraBoundaryRecordSizes(void) {
  return sizeof(ScheduleEntry) + sizeof(PluginSheet) + sizeof(MailObject) + sizeof(MailTemplate) +
         sizeof(MailKeyRow);
}
