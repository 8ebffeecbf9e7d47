#include "platform/system_cause.h"

const char* SystemCauseText(SystemCause cause) {
  switch (cause) {
    case SystemCause::kNone:
      return "エラーなし";
    case SystemCause::kAccessDenied:
      return "アクセスが拒否されました";
    case SystemCause::kNotFound:
      return "見つかりません";
    case SystemCause::kInvalidHandle:
      return "無効なハンドルです";
    case SystemCause::kNotSupported:
      return "このPCでは対応していません";
    case SystemCause::kAlreadyExists:
      return "同じ名前のものが既にあります";
    case SystemCause::kNoResume:
      return "スリープからの復帰に対応していません";
    case SystemCause::kOther:
      break;
  }
  return "システムエラー";
}
