#include "display/GlobalMemoryStream.h"

TGlobalMemoryStream::TGlobalMemoryStream(HGLOBAL Handle) : TGlobalMemoryStream(Handle, GlobalLock(Handle)) {}

TGlobalMemoryStream::TGlobalMemoryStream(HGLOBAL Handle, const void* Locked)
    : TBytesStream(Locked, Locked ? static_cast<std::int64_t>(GlobalSize(Handle)) : 0),
      FHandle(Locked ? Handle : nullptr) {}

TGlobalMemoryStream::~TGlobalMemoryStream() {
  if (FHandle) GlobalUnlock(FHandle);
}
