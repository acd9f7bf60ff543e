// The link library's connection to its hub: one SOCK_SEQPACKET socket, one request and one
// reply per operation, under one mutex.
//
// Bounded calls: with the hub gone a call fails in microseconds (connect refused, rate-limited
// re-joins); with a hub that does not answer (stopped) a call gives up after kReplyTimeoutMs and
// the connection is dropped, so a late reply can never be taken for another call's.
// Re-joining: while joined to an instance, a call made while disconnected reconnects (at most
// every kRetryMs, kStalledRetryMs after a timeout) and claims its slot again.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "korvex/hub/protocol.h"

namespace korvex::tkl {

class LinkClient {
  public:
    static constexpr int kReplyTimeoutMs = 600;
    static constexpr int kRetryMs = 200;
    static constexpr int kStalledRetryMs = 2000;
    static constexpr int kJoinWaitMs = 3000;  // TKLSubArrives waits this long for a hub to start

    // The one instance of the process (never destroyed, so calls during exit stay safe).
    static LinkClient& Get();

    // Sends one operation and waits for its reply; false when the hub cannot be reached.
    bool Call(const hub::Request& req, hub::Reply& rep);
    // TKLSubArrives: 0 accepted, 1 slot taken, -1 refused (bad argument), 2 no hub.
    int32_t Join(int32_t port, int32_t kind, const char* name);
    // TKLSubExits: releases the slot and stops re-claiming it.
    void Leave();
    // TKLMainIsPresent: 1 when the joined instance or the library folder's instance answers.
    int32_t HubPresent();
    // Last language and link kind the hub reported (9 and 0 before any answer).
    int32_t CachedLanguage();
    int32_t CachedCommMethod();
    void RememberLanguage(int32_t id);
    void RememberCommMethod(int32_t method);

    // Forgets everything in a forked child: the parent's connection is not the child's.
    void ResetAfterFork();

  private:
    LinkClient() = default;
    bool EnsureConnected();                    // mutex held
    int Connect(const std::string& instance);  // a connected socket or -1
    bool RoundTrip(int fd, const hub::Request& req, hub::Reply& rep, bool& timedOut);
    void Drop();  // mutex held

    std::mutex mu_;
    int fd_ = -1;
    std::string connected_;        // instance fd_ is connected to
    std::string instance_;         // joined instance; "" before TKLSubArrives
    std::string defaultInstance_;  // marker-rule instance of the library's folder
    bool claimed_ = false;
    int32_t port_ = -1;
    int32_t kind_ = 0;
    int64_t nextAttemptMs_ = 0;
    int32_t language_ = 9;
    int32_t commMethod_ = 0;
};

}  // namespace korvex::tkl
