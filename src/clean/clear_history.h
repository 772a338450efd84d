// Empties the current user's browsing history through the URL history store.
#pragma once
#include "cache/url_history.h"

namespace bpriv {

// Always 0: a store that cannot be made or cleared ends the job silently.
int ClearUrlHistory(UrlHistoryFactory create = CreateUrlHistory);

}  // namespace bpriv
