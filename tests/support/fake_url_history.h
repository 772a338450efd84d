// An in-memory URL history store for tests: Wine's own store answers E_NOTIMPL.
#pragma once
#include <windows.h>
#include <urlhist.h>

#include <atomic>

#include "cache/url_history.h"

namespace bpriv::test {

class FakeUrlHistory : public IUrlHistoryStg2 {
 public:
  int clear_calls = 0;
  HRESULT clear_result = S_OK;
  std::atomic<long> refs{1};

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IUrlHistoryStg || riid == kIidIUrlHistoryStg2) {
      *out = static_cast<IUrlHistoryStg2*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack

  // IUrlHistoryStg
  STDMETHODIMP AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }
  // IUrlHistoryStg2
  STDMETHODIMP AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP ClearHistory() override {
    ++clear_calls;
    return clear_result;
  }
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
