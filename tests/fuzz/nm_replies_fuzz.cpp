// Fuzzing what the Linux machine makes of NetworkManager's replies. Each
// input is one reply as it comes over the wire: a byte with the length of
// its D-Bus signature, the signature, then the body (little-endian). A
// stand-in peer on a socket of its own answers the program's connection
// with it, so libdbus validates and QtDBus demarshals it as any reply, and
// the result goes through every checked conversion of NmReplies the way
// the machine uses them. A conversion may refuse (UnexpectedReply); it may
// not crash, hang or allocate without bound. A reply libdbus refuses ends
// the connection, and the next input connects again.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include "linux/nm/NmReplies.h"

namespace {

namespace nm = plat::lnx::nm;

// Every conversion the machine makes of a reply and of what it holds.
void convert(const QVariant& value) {
  const auto tolerate = [](auto conversion) {
    try {
      conversion();
    } catch (const nm::UnexpectedReply&) {
    }
  };
  tolerate([&] { nm::objectPaths(value); });
  tolerate([&] { nm::stringMap(value); });
  tolerate([&] { nm::objectPath(value); });
  tolerate([&] {
    for (const auto& group : nm::profileSettings(value)) {
      tolerate([&] { nm::textIn(group, QStringLiteral("mode")); });
      tolerate([&] { nm::bytesIn(group, QStringLiteral("ssid")); });
      tolerate([&] { nm::stringMap(group.value(QStringLiteral("data"))); });
    }
  });
  tolerate([&] {
    const QVariantMap properties = nm::propertyMap(value);
    for (auto it = properties.begin(); it != properties.end(); ++it) {
      tolerate([&] { nm::objectPaths(it.value()); });
      tolerate([&] { nm::propertyMap(it.value()); });
      tolerate([&] { nm::objectPathIn(properties, it.key()); });
      tolerate([&] { nm::textIn(properties, it.key()); });
      tolerate([&] { nm::bytesIn(properties, it.key()); });
      tolerate([&] { nm::numberIn(properties, it.key()); });
      tolerate([&] { nm::byteIn(properties, it.key()); });
      tolerate([&] { nm::flagIn(properties, it.key()); });
    }
  });
}

void append32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void pad(std::string& out, std::size_t alignment) {
  while (out.size() % alignment != 0) out += '\0';
}

// A method return to `replySerial` with the signature and body given.
std::string replyMessage(std::uint32_t serial, std::uint32_t replySerial, const std::string& signature,
                         const std::string& body) {
  std::string fields;
  fields += std::string("\x05\x01u\0", 4);  // REPLY_SERIAL
  append32(fields, replySerial);
  fields += std::string("\x08\x01g\0", 4);  // SIGNATURE
  fields += static_cast<char>(signature.size());
  fields += signature;
  fields += '\0';
  std::string message("l\x02\x01\x01", 4);  // little-endian, method return, no reply expected, version 1
  append32(message, static_cast<std::uint32_t>(body.size()));
  append32(message, serial);
  append32(message, static_cast<std::uint32_t>(fields.size()));
  message += fields;
  pad(message, 8);
  return message + body;
}

bool readExactly(int fd, char* into, std::size_t count) {
  while (count > 0) {
    const ssize_t got = ::read(fd, into, count);
    if (got <= 0) return false;
    into += got;
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const std::string& text) {
  return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

std::uint32_t read32(const char* at) {
  std::uint32_t value = 0;
  std::memcpy(&value, at, 4);  // the program's side writes in this machine's order: little-endian here
  return value;
}

// The stand-in NetworkManager: accepts the program's connection, answers
// its authentication, then every call with the current input.
class Peer {
 public:
  Peer() {
    char folder[] = "/tmp/brisklane-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    path_ = std::string(folder) + "/peer";
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 4) != 0) {
      std::abort();
    }
    std::thread([this] { serve(); }).detach();  // lives as long as the process
  }

  QString address() const { return QStringLiteral("unix:path=") + QString::fromStdString(path_); }

  void answerWith(std::string signature, std::string body) {
    std::lock_guard lock(mutex_);
    signature_ = std::move(signature);
    body_ = std::move(body);
  }

 private:
  void serve() {
    while (true) {
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      if (authenticate(fd)) answerCalls(fd);
      ::close(fd);
    }
  }

  static bool authenticate(int fd) {
    std::string line;
    for (char c; readExactly(fd, &c, 1);) {
      if (c == '\0' && line.empty()) continue;
      if (c != '\n') {
        line += c;
        continue;
      }
      if (line.rfind("AUTH", 0) == 0 && !writeAll(fd, "OK 0123456789abcdef0123456789abcdef\r\n")) return false;
      if (line.rfind("NEGOTIATE_UNIX_FD", 0) == 0 && !writeAll(fd, "ERROR\r\n")) return false;
      if (line.rfind("BEGIN", 0) == 0) return true;
      line.clear();
    }
    return false;
  }

  void answerCalls(int fd) {
    for (std::uint32_t serial = 1;; ++serial) {
      char header[16];
      if (!readExactly(fd, header, sizeof header)) return;
      const std::uint32_t bodyLength = read32(header + 4);
      const std::uint32_t callSerial = read32(header + 8);
      const std::uint32_t fieldsLength = read32(header + 12);
      const std::size_t rest = ((fieldsLength + 7) / 8) * 8 + bodyLength;
      if (rest > (1u << 20)) return;
      std::string skipped(rest, '\0');
      if (!readExactly(fd, skipped.data(), rest)) return;
      std::string reply;
      {
        std::lock_guard lock(mutex_);
        reply = replyMessage(serial, callSerial, signature_, body_);
      }
      if (!writeAll(fd, reply)) return;
    }
  }

  std::string path_;
  int listener_ = -1;
  std::mutex mutex_;
  std::string signature_;
  std::string body_;
};

struct Harness {
  Harness() : application(argc, argv) { connect(); }

  void connect() {
    static std::atomic<int> count{0};
    QDBusConnection::disconnectFromPeer(name);
    name = QStringLiteral("fuzz-%1").arg(++count);
    connection = QDBusConnection::connectToPeer(peer.address(), name);
  }

  int argc = 1;
  char name0[5] = "fuzz";
  char* argv[2] = {name0, nullptr};
  QCoreApplication application;
  Peer peer;
  QString name;
  QDBusConnection connection{QString()};
};

std::size_t repliesConverted = 0;

}  // namespace

#include "testkit/QtThreadSanitizer.h"

extern "C" int BrisklaneFuzzReplayCheck() {
  if (repliesConverted > 0) return 0;
  std::fprintf(stderr, "no input came back as a reply: the stand-in peer answered none\n");
  return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness* harness = new Harness;  // never destroyed: the peer's thread outlives every input
  if (size == 0) return 0;
  const std::size_t signatureLength = std::min<std::size_t>(data[0], size - 1);
  const char* bytes = reinterpret_cast<const char*>(data);
  harness->peer.answerWith(std::string(bytes + 1, signatureLength), std::string(bytes + 1 + signatureLength, size - 1 - signatureLength));
  if (!harness->connection.isConnected()) harness->connect();
  const auto call = QDBusMessage::createMethodCall(QString(), QStringLiteral("/org/freedesktop/NetworkManager"),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("GetAll"));
  const QDBusMessage reply = harness->connection.call(call, QDBus::Block, 5000);
  if (reply.type() == QDBusMessage::ReplyMessage) ++repliesConverted;
  for (const auto& argument : reply.arguments()) convert(argument);
  return 0;
}
