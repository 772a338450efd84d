// An in-memory URL history store for tests: Wine's own store answers E_NOTIMPL.
#pragma once
#include <windows.h>
#include <urlhist.h>

#include <atomic>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "cache/url_history.h"

namespace bpriv::test {

// One answer of IEnumSTATURL::Next: an entry, or a failure that (stricter
// than a well-behaved store) leaves the fetched count at 1.
struct FakeStatUrl {
  std::optional<std::wstring> url;
  std::optional<std::wstring> title;
  FILETIME visited = {};
  HRESULT result = S_OK;
};

// Answers for IUnknown and up to two interfaces; counts its references but lives on the test's stack.
template <class Interface>
class FakeUnknown : public Interface {
 public:
  std::atomic<long> refs{1};
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == iid_ || riid == iid2_ ? static_cast<Interface*>(this) : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }

 protected:
  FakeUnknown(const IID& iid, const IID& iid2) : iid_(iid), iid2_(iid2) {}

 private:
  const IID iid_, iid2_;
};

// Hands out its entries one by one, as CoTaskMemAlloc copies the caller frees.
class FakeEnumStatUrl : public FakeUnknown<IEnumSTATURL> {
 public:
  explicit FakeEnumStatUrl(const std::vector<FakeStatUrl>* entries)
      : FakeUnknown(IID_IEnumSTATURL, IID_IEnumSTATURL), entries_(entries) {}
  int next_calls = 0;
  int resets = 0;

  STDMETHODIMP Next(ULONG count, LPSTATURL out, ULONG* fetched) override {
    ++next_calls;
    if (count != 1 || !out || !fetched) return E_INVALIDARG;
    *fetched = position_ < entries_->size() ? 1 : 0;
    if (!*fetched) return S_FALSE;
    const FakeStatUrl& e = (*entries_)[position_++];
    if (FAILED(e.result)) return e.result;
    out->pwcsUrl = Copy(e.url);
    out->pwcsTitle = Copy(e.title);
    out->ftLastVisited = e.visited;
    return S_OK;
  }
  STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
  STDMETHODIMP Reset() override { ++resets; position_ = 0; return S_OK; }
  STDMETHODIMP Clone(IEnumSTATURL**) override { return E_NOTIMPL; }
  STDMETHODIMP SetFilter(LPCOLESTR, DWORD) override { return E_NOTIMPL; }

 private:
  static wchar_t* Copy(const std::optional<std::wstring>& s) {
    auto* p = s ? static_cast<wchar_t*>(::CoTaskMemAlloc((s->size() + 1) * sizeof(wchar_t))) : nullptr;
    if (p) std::wmemcpy(p, s->c_str(), s->size() + 1);
    return p;
  }
  const std::vector<FakeStatUrl>* entries_;
  size_t position_ = 3;  // a walk that forgets Reset starts in the middle
};

class FakeUrlHistory : public FakeUnknown<IUrlHistoryStg2> {
 public:
  FakeUrlHistory() : FakeUnknown(IID_IUrlHistoryStg, kIidIUrlHistoryStg2) {}
  int clear_calls = 0;
  HRESULT clear_result = S_OK;
  HRESULT enum_result = S_OK;
  std::vector<FakeStatUrl> entries;
  FakeEnumStatUrl enumerator{&entries};

  STDMETHODIMP AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP EnumUrls(IEnumSTATURL** out) override {
    *out = SUCCEEDED(enum_result) ? &enumerator : nullptr;
    if (*out) enumerator.AddRef();
    return SUCCEEDED(enum_result) ? S_OK : enum_result;
  }
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
  if (!*out) return REGDB_E_CLASSNOTREG;
  (*out)->AddRef();
  return S_OK;
}

}  // namespace bpriv::test
