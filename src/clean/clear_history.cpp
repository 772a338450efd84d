#include "clean/clear_history.h"

#include <wrl/client.h>

namespace bpriv {

int ClearUrlHistory(UrlHistoryFactory create) {
  Microsoft::WRL::ComPtr<IUrlHistoryStg2> history;
  if (SUCCEEDED(create(history.GetAddressOf())) && history) (void)history->ClearHistory();
  return 0;
}

}  // namespace bpriv
