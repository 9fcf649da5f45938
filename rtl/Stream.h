// Byte streams: the abstract stream the text reader and writer work on, and a memory stream.
//
// Position and size are built on the one Seek operation, as the device stream needs: Size() seeks to
// the end and back. ReadBuffer/WriteBuffer fail with "Stream read error" / "Stream write error" on a
// short transfer. Streams are not thread-safe; each is used by one port at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace halvern {

enum class TSeekOrigin : int32_t { Beginning = 0, Current = 1, End = 2 };

class TStream {
 public:
  virtual ~TStream() = default;

  // Moves up to Count bytes; returns the number moved (0 at the end or on failure).
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  // Returns the new position, or -1 when the underlying seek failed.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual void SetSize(int64_t NewSize) = 0;

  int64_t GetPosition() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::Beginning); }
  // Remembers the position, seeks to the end and back.
  virtual int64_t GetSize();

  void ReadBuffer(void* Buffer, int32_t Count);
  void WriteBuffer(const void* Buffer, int32_t Count);
  void WriteString(const std::string& S) { WriteBuffer(S.data(), static_cast<int32_t>(S.size())); }

  // Copies Count bytes from Source's current position; Count 0 copies the whole of Source from its
  // start. Moves at most 0xF000 bytes at a time. Returns the number of bytes copied.
  int64_t CopyFrom(TStream& Source, int64_t Count);

  static constexpr int32_t MaxBufSize = 0xF000;

 protected:
  // Count bytes are about to be written at the current position (CopyFrom knows the whole amount before
  // its first chunk); a stream may make room for them at once. Changes no data.
  virtual void PrepareWrite(int64_t /*Count*/) {}
};

// Growable in-memory stream. Data() and Size are valid until the next write.
//
// Room and Commit let a writer that builds its bytes piece by piece put them straight into the storage
// instead of handing over a finished buffer: Room(N) makes space for N bytes at the position, the caller
// fills them, and Commit(N) makes them data, as Write(.., N) would have. A subclass may change what Read
// and Write do; code that bypasses them asks IsPlain first.
class TMemoryStream : public TStream {
 public:
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  int64_t GetSize() override { return FSize; }

  const char* Data() const { return FData.Get(); }
  std::string ToString() const { return std::string(FData.Get(), static_cast<size_t>(FSize)); }
  void Clear();

  int64_t Position() const noexcept { return FPosition; }
  int64_t Size() const noexcept { return FSize; }
  // True when S is a TMemoryStream itself, not a subclass: its bytes may be reached without Read and Write.
  static bool IsPlain(const TStream& S) noexcept;

  // Where Count (> 0) bytes written at the position will lie; they become data only on Commit(Count).
  // Null at a negative position, where Write writes nothing. Raises std::bad_alloc. The pointer is valid
  // until the next write or size change.
  char* Room(int64_t Count) {
    if (FPosition < 0) return nullptr;
    if (FPosition + Count > FData.Capacity() || FPosition > FSize) return MakeRoom(Count);
    return FData.Get() + FPosition;
  }
  // Takes the Count bytes filled in after Room(Count) as written.
  void Commit(int64_t Count) noexcept {
    FPosition += Count;
    if (FPosition > FSize) FSize = FPosition;
  }

 protected:
  // Grows the storage once for the whole copy instead of doubling chunk by chunk.
  void PrepareWrite(int64_t Count) override;

 private:
  // Makes room for at least NewCapacity bytes, keeping the valid ones.
  void Reserve(int64_t NewCapacity);
  // Room when the storage must grow or a gap before the position must be cleared.
  char* MakeRoom(int64_t Count);

  // A block of the platform's large-buffer storage, given back when the stream goes.
  class TBlock {
   public:
    TBlock() = default;
    TBlock(const TBlock&) = delete;
    TBlock& operator=(const TBlock&) = delete;
    ~TBlock() { Reset(); }
    char* Get() const noexcept { return FData; }
    int64_t Capacity() const noexcept { return FCapacity; }
    // At least NewCapacity bytes, keeping the old ones; raises std::bad_alloc.
    void Grow(int64_t NewCapacity);
    void Reset() noexcept;

   private:
    char* FData = nullptr;
    int64_t FCapacity = 0;
  };

  // FData.Capacity() bytes, of which the first FSize are valid; new room is not cleared, the stream
  // clears only what becomes part of the data without being written (a gap left by seeking past the end).
  TBlock FData;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

}  // namespace halvern
