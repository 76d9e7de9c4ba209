#include "linux/radio/RadioReplyGuard.h"

#include "linux/nm/NmReplies.h"
#include "machine/Refusal.h"

namespace plat::lnx {
namespace {

template <class Call>
auto guarded(Call call, decltype(call()) failed) {
  try {
    return call();
  } catch (const nm::UnexpectedReply& reply) {
    setRefusal(nm::replyNotUnderstood(reply));
    return failed;
  }
}

}  // namespace

std::vector<std::string> RadioReplyGuard::interfaces() {
  return guarded([&] { return radio_.interfaces(); }, {});
}

RadioResult RadioReplyGuard::visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) {
  networks.clear();
  return guarded([&] { return radio_.visibleNetworks(interfaceId, networks); }, RadioResult::Failed);
}

RadioResult RadioReplyGuard::connect(const std::string& interfaceId, const std::string& name,
                                     const std::optional<std::string>& key, std::optional<NetworkKind> kind,
                                     std::uint32_t id) {
  return guarded([&] { return radio_.connect(interfaceId, name, key, kind, id); }, RadioResult::Failed);
}

RadioResult RadioReplyGuard::disconnect(const std::string& interfaceId) {
  return guarded([&] { return radio_.disconnect(interfaceId); }, RadioResult::Failed);
}

RadioResult RadioReplyGuard::addOwnNetwork(const std::string& interfaceId, const std::string& name,
                                           const std::string& key) {
  return guarded([&] { return radio_.addOwnNetwork(interfaceId, name, key); }, RadioResult::Failed);
}

RadioResult RadioReplyGuard::deleteOwnNetwork(const std::string& interfaceId, const std::string& name) {
  return guarded([&] { return radio_.deleteOwnNetwork(interfaceId, name); }, RadioResult::Failed);
}

std::string RadioReplyGuard::networkPassphrase(const std::string& key) { return radio_.networkPassphrase(key); }

RadioResult RadioReplyGuard::hostedNetwork(const std::string& interfaceId, HostedNetwork& network) {
  return guarded([&] { return radio_.hostedNetwork(interfaceId, network); }, RadioResult::Failed);
}

RadioResult RadioReplyGuard::guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) {
  guests.clear();
  return guarded([&] { return radio_.guests(interfaceId, guests); }, RadioResult::Failed);
}

void RadioReplyGuard::setEventSink(EventSink sink) { radio_.setEventSink(std::move(sink)); }

}  // namespace plat::lnx
