#pragma once

#include <QListView>

#include "ui/controls.h"
#include "ui/qt/results_line_delegate.h"
#include "ui/qt/results_model.h"

namespace dustvane {

// List1: a single-selection list over the found paths, each line shown as
// text and kept as the exact path.
class QtResultsList final : public QListView, public ResultsListControl {
 public:
  explicit QtResultsList(QWidget* parent);

  MaybeFailure AddItem(const PathString& line) override;
  // Empties the list for a new search, which starts at its first line and
  // its left edge.
  void Clear() override;
  PathString SelectedPath() const override;

  const QtResultsModel& Model() const { return lines_; }

 private:
  QtResultsModel lines_;
  QtResultsLineDelegate lineDelegate_;
};

}  // namespace dustvane
