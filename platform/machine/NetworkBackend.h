// What a machine answers about its network (to be filled).
#pragma once

namespace plat {

class NetworkBackend {
 public:
  virtual ~NetworkBackend() = default;
};

}  // namespace plat
