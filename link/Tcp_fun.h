// The Ethernet link: address conversion and the connection step of the
// connection dialog.
#pragma once
#include <netinet/in.h>

#include <string>

namespace zul {

class Qrtbox;
class UserInterface;
struct EthernetSettings;

// Nothing to start on this system: sockets are always there.
bool InitSockets(UserInterface& ui);
// Dotted-quad text to an address in network order; all ones only for "255.255.255.255".
bool ParseDottedAddress(const std::string& text, in_addr& out);
// Host and service texts to an IPv4 socket address; an empty host is any address.
// Unknown hosts and services are reported in a message box.
bool MakeAddress(const std::string& host, const std::string& service, sockaddr_in& out,
                 const char* protocol, UserInterface& ui);
// Connects the engine's socket to the selected Ethernet subscriber and fills the
// engine from the Ethernet record. `addressText` is the number the user entered.
// Retries a refused connection until the record's connection wait has passed.
bool ConnectTcp(Qrtbox& box, EthernetSettings& settings, int address, UserInterface& ui);
// The dotted host of a subscriber whose address bytes are stored last octet first.
std::string SubscriberHost(const uint8_t ip[4]);

}  // namespace zul
