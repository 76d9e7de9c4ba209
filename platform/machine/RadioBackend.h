// What a machine answers about its radio (to be filled).
#pragma once

namespace plat {

class RadioBackend {
 public:
  virtual ~RadioBackend() = default;
};

}  // namespace plat
