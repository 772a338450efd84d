// An in-memory URL history store for tests: Wine's own store answers E_NOTIMPL.
#pragma once
#include <windows.h>
#include <urlhist.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "cache/url_history.h"

namespace bpriv::test {

// QueryInterface of a fake that answers for IUnknown and the given interfaces.
template <class Self>
HRESULT QueryFake(Self* self, REFIID riid, void** out, std::initializer_list<IID> ids) {
  *out = nullptr;
  if (riid != IID_IUnknown && std::find(ids.begin(), ids.end(), riid) == ids.end()) return E_NOINTERFACE;
  *out = self;
  self->AddRef();
  return S_OK;
}

// One answer of IEnumSTATURL::Next: an entry, or a failure that (stricter
// than a well-behaved store) leaves the fetched count at 1.
struct FakeStatUrl {
  std::optional<std::wstring> url;
  std::optional<std::wstring> title;
  FILETIME visited = {};
  HRESULT result = S_OK;
};

// Hands out its entries one by one, as CoTaskMemAlloc copies the caller frees.
class FakeEnumStatUrl : public IEnumSTATURL {
 public:
  explicit FakeEnumStatUrl(const std::vector<FakeStatUrl>* entries) : entries_(entries) {}
  int next_calls = 0;
  int resets = 0;
  std::atomic<long> refs{1};

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    return QueryFake<IEnumSTATURL>(this, riid, out, {IID_IEnumSTATURL});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }  // owned by its store

  STDMETHODIMP Next(ULONG count, LPSTATURL out, ULONG* fetched) override {
    ++next_calls;
    if (count != 1 || !out || !fetched) return E_INVALIDARG;
    if (position_ >= entries_->size()) {
      *fetched = 0;
      return S_FALSE;
    }
    const FakeStatUrl& e = (*entries_)[position_++];
    *fetched = 1;
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
    if (!s) return nullptr;
    auto* p = static_cast<wchar_t*>(::CoTaskMemAlloc((s->size() + 1) * sizeof(wchar_t)));
    if (p) std::wmemcpy(p, s->c_str(), s->size() + 1);
    return p;
  }
  const std::vector<FakeStatUrl>* entries_;
  size_t position_ = 3;  // a walk that forgets Reset starts in the middle
};

class FakeUrlHistory : public IUrlHistoryStg2 {
 public:
  int clear_calls = 0;
  HRESULT clear_result = S_OK;
  HRESULT enum_result = S_OK;
  std::vector<FakeStatUrl> entries;
  FakeEnumStatUrl enumerator{&entries};
  std::atomic<long> refs{1};

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    return QueryFake<IUrlHistoryStg2>(this, riid, out, {IID_IUrlHistoryStg, kIidIUrlHistoryStg2});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack

  // IUrlHistoryStg
  STDMETHODIMP AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP EnumUrls(IEnumSTATURL** out) override {
    *out = nullptr;
    if (FAILED(enum_result)) return enum_result;
    enumerator.AddRef();
    *out = &enumerator;
    return S_OK;
  }
  // IUrlHistoryStg2
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
