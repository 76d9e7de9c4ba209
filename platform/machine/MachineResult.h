// How a call of a machine ended: a status of the backend's own (an enum with
// Ok and NotSaved), and for NotSaved why the change could not be kept.
#pragma once

namespace plat {

// The save error of a change whose content itself cannot be written down (a
// name that is not UTF-8); any other save error is the errno of the failed
// write.
inline constexpr int contentNotWritable = -1;

template <class Status>
struct MachineResult {
  Status status = Status::Ok;
  int saveError = 0;  // NotSaved only

  MachineResult(Status s = Status::Ok) : status(s) {}
  static MachineResult notSaved(int error) {
    MachineResult result(Status::NotSaved);
    result.saveError = error;
    return result;
  }
  bool ok() const { return status == Status::Ok; }
  friend bool operator==(const MachineResult&, const MachineResult&) = default;
};

}  // namespace plat
