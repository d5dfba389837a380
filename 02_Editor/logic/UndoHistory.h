// Undo and redo as snapshots of the whole state: a timetable, or the list of nine, is small
// enough that a copy per change is simpler and safer than recording each kind of change.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace v42 {

template <class State>
class UndoHistory {
 public:
  explicit UndoHistory(std::size_t limit = 100) : limit_(limit) {}

  // Before a change: the state it starts from. A new change ends what could be redone.
  void Record(const State& before) {
    if (!undo_.empty() && undo_.back() == before) return;  // nothing changed since the last one
    undo_.push_back(before);
    if (undo_.size() > limit_) undo_.erase(undo_.begin());
    redo_.clear();
  }

  // The state to go back to from now, or nullopt when there is none.
  std::optional<State> Undo(const State& now) { return Step(undo_, redo_, now); }
  std::optional<State> Redo(const State& now) { return Step(redo_, undo_, now); }

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }

 private:
  static std::optional<State> Step(std::vector<State>& from, std::vector<State>& to,
                                   const State& now) {
    // A snapshot equal to now would make the step look dead: skip those.
    while (!from.empty() && from.back() == now) from.pop_back();
    if (from.empty()) return std::nullopt;
    State state = std::move(from.back());
    from.pop_back();
    to.push_back(now);
    return state;
  }

  std::size_t limit_;
  std::vector<State> undo_, redo_;
};

}  // namespace v42
