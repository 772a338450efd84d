#include "cache/url_history.h"

namespace bpriv {

HRESULT CreateUrlHistory(IUrlHistoryStg2** out) {
  return ::CoCreateInstance(kClsidCUrlHistory, nullptr, CLSCTX_INPROC_SERVER, kIidIUrlHistoryStg2,
                            reinterpret_cast<void**>(out));
}

}  // namespace bpriv
