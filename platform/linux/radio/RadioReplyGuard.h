// The radio as the machine hands it out: each call that meets a reply of
// NetworkManager's in a shape its API does not give (nm::UnexpectedReply)
// fails with the refusal that says so, instead of going on with half an
// answer.
#pragma once

#include "machine/RadioBackend.h"

namespace plat::lnx {

class RadioReplyGuard : public RadioBackend {
 public:
  explicit RadioReplyGuard(RadioBackend& radio) : radio_(radio) {}

  std::vector<std::string> interfaces() override;
  RadioResult visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) override;
  RadioResult connect(const std::string& interfaceId, const std::string& name, const std::optional<std::string>& key,
                      std::optional<NetworkKind> kind, std::uint32_t id) override;
  RadioResult disconnect(const std::string& interfaceId) override;
  RadioResult addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) override;
  RadioResult deleteOwnNetwork(const std::string& interfaceId, const std::string& name) override;
  std::string networkPassphrase(const std::string& key) override;
  RadioResult hostedNetwork(const std::string& interfaceId, HostedNetwork& network) override;
  RadioResult guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) override;
  void setEventSink(EventSink sink) override;

 private:
  RadioBackend& radio_;
};

}  // namespace plat::lnx
