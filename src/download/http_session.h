// Opening one HTTP or HTTPS request the way every transfer does: the address
// canonicalised and its Chinese characters sent as UTF-8, a fresh session,
// nothing from the cache, time-outs on every call, and redirects followed
// here (at most limits.redirects, never from https to another scheme).
// Certificates are checked as WinINet does by default.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/transfer/time_budget.h"
#include "download/blocking_caller.h"
#include "download/transfer_limits.h"
#include "win/internet_handle.h"

namespace quibo {

// The address as it is sent: canonicalised (empty when that fails), then
// escaped to UTF-8.
std::string PrepareHttpUrl(const std::string& url);

// The handles of one request and the buffer its reads fill. Shared with a
// call left behind, which releases them when it ends.
struct HttpHandles {
    UniqueInternetHandle session;
    UniqueInternetHandle connection;
    UniqueInternetHandle request;  // declared last: closed first
    std::unique_ptr<char[]> buffer;
};

class HttpRequest {
public:
    explicit HttpRequest(const HttpLimits& limits);

    // Sends the request for `url`, following redirects; true when an answer
    // (of any status) came in time. Failures past the first answer
    // (too many redirects, one that leaves https, the address's time run
    // out) are written to the run log, and so is the address that answered
    // after a redirect.
    bool Open(const std::string& url);
    // Asks Open for the bytes from `offset` to the end only ("Range: bytes=N-").
    void AskFrom(std::uint64_t offset);

    // A numeric header of the answer (HTTP_QUERY_STATUS_CODE, ...); false
    // when the server sent none.
    bool QueryNumber(DWORD query, DWORD& value) const;
    // A header of the answer as text (HTTP_QUERY_CONTENT_RANGE, ...); empty
    // when the server sent none.
    std::string QueryText(DWORD query) const;
    // The Content-Length of the answer; 0 when the server sent none, or one
    // past 32 bits.
    DWORD ContentLength() const;
    // The Content-Length as the server wrote it, of any size; 0 when it sent
    // none or one that is no number.
    std::uint64_t AnnouncedLength() const;
    // Why the request failed before any answer could be used (a refused
    // redirect, too many of them, the time run out), as the run log has it;
    // empty when no such reason is known.
    const std::string& FailureReason() const { return failure_; }
    // The address asked last (after redirects).
    const std::string& Address() const { return address_; }

    // Waits for body data: `available` bytes can then be read at once (0
    // at the end of the body). False on an error or when time ran out.
    bool WaitForData(DWORD& available);
    // Reads up to `want` bytes into Buffer() (at most ReadSizer::kLargest); a read
    // of more than is `available` waits on a thread of its own, so a server
    // that slows to a trickle cannot hold it beyond the address's time.
    bool Read(DWORD want, DWORD available, DWORD& got);
    const char* Buffer() const { return handles_->buffer.get(); }

    // Closes the request and its session, or leaves them to a call that was
    // left behind. The handles are let go on a pool thread: closing a request
    // whose body is not read to its end makes WinINet (Wine's) read the rest
    // first, which takes seconds for a large body.
    void Close();
    ~HttpRequest() { Close(); }
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

private:
    using Clock = std::chrono::steady_clock;

    bool Send(const std::string& address);
    // Spends the time since `start`; false (logged) once the address's time
    // has run out.
    bool Spend(Clock::time_point start);
    bool Blocking(std::function<void()> call);
    void TimedOut();
    // Writes `reason` to the run log and keeps it as the failure reason.
    void Fail(const std::string& reason);

    HttpLimits limits_;
    TimeBudget budget_;
    std::string address_;  // the address asked last
    std::string failure_;
    std::string headers_;
    std::shared_ptr<HttpHandles> handles_;
    BlockingCaller caller_;  // declared last: gone before the handles it may use
};

}  // namespace quibo
