// A read-only stream over a global memory block (the clipboard's data): the
// block is locked for the life of the stream; its size is the block's size.
#pragma once

#include "platform/rtl/Streams.h"
#include "platform/win/Kernel.h"

class TGlobalMemoryStream : public TBytesStream {
 public:
  explicit TGlobalMemoryStream(HGLOBAL Handle);
  ~TGlobalMemoryStream() override;
  TGlobalMemoryStream(const TGlobalMemoryStream&) = delete;
  TGlobalMemoryStream& operator=(const TGlobalMemoryStream&) = delete;

 private:
  TGlobalMemoryStream(HGLOBAL Handle, const void* Locked);
  HGLOBAL FHandle;
};
