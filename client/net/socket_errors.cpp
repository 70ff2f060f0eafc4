/** @file The socket error texts of the debug trace, by the error codes the original socket library reported. */
#include "client/net/client_sock.h"

#include <cerrno>

namespace {

struct ErrorText {
    int code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {10004, "The (blocking) call was canceled through WSACancelBlockingCall."},
    {10013, "Attempt to connect datagram socket to broadcast address failed because setsockopt option SO_BROADCAST is not enabled."},
    {10014, "The name or the namelen parameter is not a valid part of the user address space, the namelen parameter is too small, the name parameter contains incorrect address format for the associated address family, or the first two bytes of the memory block specified by name does not match the address family associated with the socket descriptor s."},
    {10022, "The socket is already bound to an address."},
    {10024, "No more socket descriptors are available."},
    {10035, "The socket is marked as nonblocking and no connections are present to be accepted."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function."},
    {10037, "A nonblocking connect call is in progress on the specified socket. Note In order to preserve backward compatibility, this error is reported as WSAEINVAL to Windows Sockets 1.1 applications that link to either WINSOCK.DLL or WSOCK32.DLL."},
    {10038, "The descriptor is not a socket."},
    {10040, "The socket is message oriented, and the message is larger than the maximum supported by the underlying transport."},
    {10041, "The specified protocol is the wrong type for this socket."},
    {10045, "The referenced socket is not of a type that supports the listen operation."},
    {10047, "The specified address family is not supported."},
    {10048, "The specified address is already in use. (See the SO_REUSEADDR socket option under setsockopt.)"},
    {10049, "The specified address is not available from the local machine."},
    {10050, "The network subsystem or the associated service provider has failed."},
    {10051, "The network cannot be reached from this host at this time."},
    {10052, "The connection has been broken due to the remote host resetting."},
    {10053, "The virtual circuit was terminated due to a time-out or other failure. The application should close the socket as it is no longer usable."},
    {10054, "The virtual circuit was reset by the remote side executing a 'hard' or 'abortive' close. The application should close the socket as it is no longer usable. On a UDP datagram socket this error would indicate that a previous send operation resulted in an ICMP 'Port Unreachable' message."},
    {10055, "No buffer space is available. The socket cannot be created."},
    {10056, "The socket is already connected."},
    {10057, "The socket is not connected."},
    {10058, "The socket has been shut down; it is not possible to send on a socket after shutdown has been invoked with how set to SD_SEND or SD_BOTH."},
    {10060, "Attempt to connect timed out without establishing a connection."},
    {10061, "The attempt to connect was forcefully rejected."},
    {10065, "The remote host cannot be reached from this host at this time."},
    {10093, "A successful WSAStartup must occur before using this function."},
};

} // namespace

const char* SocketErrorText(int code)
{
    for (const ErrorText& entry : kErrorTexts)
        if (entry.code == code)
            return entry.text;
    return "UNKNOWN ERROR.";
}

int SocketErrorCode(int systemError)
{
    switch (systemError) {
    case EINTR: return 10004;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return 0;
    }
}
