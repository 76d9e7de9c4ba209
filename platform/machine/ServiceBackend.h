// What a machine answers about its service (to be filled).
#pragma once

namespace plat {

class ServiceBackend {
 public:
  virtual ~ServiceBackend() = default;
};

}  // namespace plat
