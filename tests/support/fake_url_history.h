// An in-memory URL history store for tests: Wine's own store answers E_NOTIMPL.
#pragma once
#include <windows.h>
#include <shlwapi.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "cache/url_history.h"

namespace bpriv::test {

// One answer of IEnumSTATURL::Next: an entry, or a failure that (stricter
// than a well-behaved store) leaves the fetched count at 1.
struct FakeStatUrl {
  std::optional<std::wstring> url, title;
  FILETIME visited = {};
  HRESULT result = S_OK;
};

// IUnknown for up to two interfaces; counts references but lives on the test's stack.
#define BPRIV_FAKE_UNKNOWN(Interface, iid, iid2)                                                                      \
  std::atomic<long> refs{1};                                                                                          \
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {                                                     \
    *out = riid == IID_IUnknown || riid == iid || riid == iid2 ? static_cast<Interface*>(this) : nullptr;             \
    return *out ? (AddRef(), S_OK) : E_NOINTERFACE;                                                                   \
  }                                                                                                                   \
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }                                                           \
  STDMETHODIMP_(ULONG) Release() override { return --refs; }

// Hands out its entries one by one.
class FakeEnumStatUrl : public IEnumSTATURL {
 public:
  BPRIV_FAKE_UNKNOWN(IEnumSTATURL, IID_IEnumSTATURL, IID_IEnumSTATURL)
  explicit FakeEnumStatUrl(const std::vector<FakeStatUrl>* entries) : entries_(entries) {}
  int next_calls = 0;

  STDMETHODIMP Next(ULONG count, LPSTATURL out, ULONG* fetched) override {
    ++next_calls;
    if (count != 1 || !out || !fetched || out->cbSize != sizeof(STATURL)) return E_INVALIDARG;
    if (!(*fetched = position_ < entries_->size() ? 1 : 0)) return S_FALSE;
    const FakeStatUrl& e = (*entries_)[position_++];
    if (FAILED(e.result)) return e.result;
    out->pwcsUrl = out->pwcsTitle = nullptr;  // copies from CoTaskMemAlloc, which the caller frees
    if (e.url) ::SHStrDupW(e.url->c_str(), &out->pwcsUrl);
    if (e.title) ::SHStrDupW(e.title->c_str(), &out->pwcsTitle);
    out->ftLastVisited = e.visited;
    return S_OK;
  }
  STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
  STDMETHODIMP Reset() override { position_ = 0; return S_OK; }
  STDMETHODIMP Clone(IEnumSTATURL**) override { return E_NOTIMPL; }
  STDMETHODIMP SetFilter(LPCOLESTR, DWORD) override { return E_NOTIMPL; }

 private:
  const std::vector<FakeStatUrl>* entries_;
  size_t position_ = 3;  // a walk that forgets Reset starts in the middle
};

class FakeUrlHistory : public IUrlHistoryStg2 {
 public:
  BPRIV_FAKE_UNKNOWN(IUrlHistoryStg2, IID_IUrlHistoryStg, kIidIUrlHistoryStg2)
  int clear_calls = 0;
  HRESULT clear_result = S_OK;
  std::vector<FakeStatUrl> entries;
  FakeEnumStatUrl enumerator{&entries};

  STDMETHODIMP AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP EnumUrls(IEnumSTATURL** out) override { return *out = &enumerator, enumerator.AddRef(), S_OK; }
  STDMETHODIMP AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override { return E_NOTIMPL; }
  STDMETHODIMP ClearHistory() override { ++clear_calls; return clear_result; }
};

// A factory can only be a plain function, so the store it hands out is a
// process-wide slot that each test sets.
inline FakeUrlHistory*& CurrentFakeHistory() {
  static FakeUrlHistory* current = nullptr;
  return current;
}
inline HRESULT CreateFakeHistory(IUrlHistoryStg2** out) {
  *out = CurrentFakeHistory();
  return *out ? ((*out)->AddRef(), S_OK) : REGDB_E_CLASSNOTREG;
}
// A factory that succeeds without handing out a store.
inline HRESULT CreateNoHistory(IUrlHistoryStg2** out) { return *out = nullptr, S_OK; }

}  // namespace bpriv::test
