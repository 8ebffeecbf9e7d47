#pragma once
// A list view for the document's commands: a test sets the selected row and
// scripts what the user does in each dialog showing; every showing records
// the values the dialog opened with.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "schedule/nimbra_view_interface.h"
#include "schedule/repeat_rules.h"
#include "schedule/reservation_rules.h"

class ScriptedView final : public INimbraView {
 public:
  // One showing: change the values as the user would and return true for
  // OK, false for Cancel. No step left means Cancel.
  using ReservationStep = std::function<bool(ReservationValues&)>;
  using RepeatStep = std::function<bool(RepeatValues&)>;

  void OnReservation(ReservationStep step) { reservationSteps_.push_back(std::move(step)); }
  void OnRepeat(RepeatStep step) { repeatSteps_.push_back(std::move(step)); }
  // Forgets the steps no showing has taken.
  void DropSteps() {
    reservationSteps_.clear();
    repeatSteps_.clear();
  }

  int GetSelectedRow() override { return selected; }
  void RefreshList() override { ++refreshes; }
  void FocusRowClearSelection(int row) override { focused.push_back(row); }
  bool ShowReservationDialog(ReservationValues& values) override {
    reservationShown.push_back(values);
    if (reservationSteps_.empty()) return false;
    auto step = std::move(reservationSteps_.front());
    reservationSteps_.pop_front();
    return step(values);
  }
  bool ShowRepeatDialog(RepeatValues& values) override {
    repeatShown.push_back(values);
    if (repeatSteps_.empty()) return false;
    auto step = std::move(repeatSteps_.front());
    repeatSteps_.pop_front();
    return step(values);
  }
  void SettingsSaveFailed(const std::string& path) override { saveFailures.push_back(path); }

  int selected = -1;
  int refreshes = 0;
  std::vector<int> focused;
  std::vector<ReservationValues> reservationShown;
  std::vector<RepeatValues> repeatShown;
  std::vector<std::string> saveFailures;

 private:
  std::deque<ReservationStep> reservationSteps_;
  std::deque<RepeatStep> repeatSteps_;
};
