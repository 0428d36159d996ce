// Handing a freshly made COM object to its first caller, shared by every class factory.
#pragma once

#include <unknwn.h>
#include <windows.h>

// Answers riid from an object that nobody holds yet: on success the caller owns the only
// reference; on refusal the object is destroyed again.
HRESULT HandOut(IUnknown* fresh, REFIID riid, void** ppv);
