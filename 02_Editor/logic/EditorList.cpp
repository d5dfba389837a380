#include "EditorList.h"

#include <utility>

namespace v42 {

TimetableRecord EmptyRecord() { return TimetableRecord{}; }

void AllDelete(TimetableStore& store) {
  for (int i = 0; i < store.Count && i < kTimetableCount; ++i) store.Records[i] = EmptyRecord();
  store.Count = 0;
}

void DeleteAt(TimetableStore& store, int sel) {
  if (sel < 0 || sel >= store.Count) return;
  for (int k = sel; k < kTimetableCount - 1; ++k) store.Records[k] = store.Records[k + 1];
  store.Records[kTimetableCount - 1] = EmptyRecord();
  --store.Count;
}

bool AddNew(TimetableStore& store) {
  if (store.Count >= kTimetableCount) return false;
  // The free slot is already empty; setting it again keeps a new timetable clean even if an
  // earlier step ever left something behind there.
  store.Records[store.Count] = EmptyRecord();
  store.Records[store.Count].Title = kNewTitle;
  ++store.Count;
  return true;
}

int MoveUp(TimetableStore& store, int sel) {
  if (sel < 1 || sel >= store.Count) return sel;
  std::swap(store.Records[sel], store.Records[sel - 1]);
  return sel - 1;
}

int MoveDown(TimetableStore& store, int sel) {
  if (sel < 0 || sel + 1 >= store.Count) return sel;
  std::swap(store.Records[sel], store.Records[sel + 1]);
  return sel + 1;
}

std::string DeleteQuestion(const TimetableStore& store, int sel) {
  return "時刻表「" + store.Records[sel].Title + "」を削除しますか？";
}

std::string AllDeleteQuestion(const TimetableStore& store) {
  return "すべての時刻表（" + std::to_string(store.Count) + "件）を削除しますか？";
}

std::array<bool, 6> ButtonStates(int n, int sel) {
  std::array<bool, 6> on{};
  on[kAddNew] = n < kTimetableCount;
  if (n == 0) return on;
  on[kAllDelete] = true;
  if (sel < 0 || sel >= n) return on;
  on[kDelete] = true;
  on[kEdit] = true;
  on[kUp] = sel > 0;
  on[kDown] = sel < n - 1;
  return on;
}

}  // namespace v42
