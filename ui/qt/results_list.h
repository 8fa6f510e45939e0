#pragma once

#include <QListView>

#include "ui/controls.h"
#include "ui/qt/results_model.h"

namespace dustvane {

// List1: a single-selection list over the found paths, each line shown as
// text and kept as the exact path.
class QtResultsList final : public QListView, public ResultsListControl {
 public:
  explicit QtResultsList(QWidget* parent);

  MaybeFailure AddItem(const PathString& line) override;
  void Clear() override { lines_.Clear(); }
  PathString SelectedPath() const override;

  const QtResultsModel& Model() const { return lines_; }

 private:
  QtResultsModel lines_;
};

}  // namespace dustvane
