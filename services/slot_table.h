#pragma once
// Numbered objects: windows, controls, images, fonts, files, tray icons,
// menus and XML documents are all addressed by small non-negative numbers
// that the application chooses. Every kind keeps them in one of these tables.
//
// - The table grows on demand, to the claimed number plus GrowStep.
// - Claiming a number that is in use first releases the object held there.
// - A number that holds nothing reads as empty (Find gives nullptr), so the
//   services answer 0 for it.
//
// The table does no locking of its own; a service whose table is read from
// several threads guards it itself.

#include <vector>

template <typename Record, void (*Release)(Record&), int GrowStep = 16, int InitialSize = 0>
class SlotTable {
 public:
  SlotTable() : entries_(InitialSize) {}
  SlotTable(const SlotTable&) = delete;
  SlotTable& operator=(const SlotTable&) = delete;
  ~SlotTable() { FreeAll(); }

  Record* Find(int number) {
    if (number < 0 || number >= Capacity() || !entries_[number].used) return nullptr;
    return &entries_[number].record;
  }
  const Record* Find(int number) const { return const_cast<SlotTable*>(this)->Find(number); }
  bool InUse(int number) const { return Find(number) != nullptr; }

  // Releases what the number held and gives a fresh record marked in use;
  // nullptr for a negative number.
  Record* Claim(int number) {
    if (number < 0) return nullptr;
    Free(number);
    if (number >= Capacity()) entries_.resize(number + GrowStep);
    Entry& entry = entries_[number];
    entry.record = Record{};
    entry.used = true;
    return &entry.record;
  }

  // Releases the object and empties the number; nothing for an empty number.
  void Free(int number) {
    Record* record = Find(number);
    if (!record) return;
    // Marked empty first so a release that calls back into the service
    // sees the number as free.
    entries_[number].used = false;
    Release(*record);
    *record = Record{};
  }

  // Gives up the number without releasing: the caller now owns the object.
  void Forget(int number) {
    if (Record* record = Find(number)) {
      entries_[number].used = false;
      *record = Record{};
    }
  }

  void FreeAll() {
    for (int number = 0; number < Capacity(); ++number) Free(number);
  }

  int Capacity() const { return static_cast<int>(entries_.size()); }

  // Calls visit(number, record) for every number in use, lowest first.
  template <typename Visit>
  void ForEach(Visit visit) {
    for (int number = 0; number < Capacity(); ++number)
      if (entries_[number].used) visit(number, entries_[number].record);
  }

 private:
  struct Entry {
    bool used = false;
    Record record{};
  };
  std::vector<Entry> entries_;
};
