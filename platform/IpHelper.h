#pragma once
// Stand-ins for the platform's adapter queries: the same chained records, filled from
// the installed AdapterSource, with the same two-call sizing convention.
#include "platform/Types.h"

namespace platform {

constexpr DWORD ERROR_NO_DATA = 232;

struct IpAddrString {
    IpAddrString* Next;
    char IpAddress[16];
    char IpMask[16];
    DWORD Context;
};

struct IpAdapterInfo {
    IpAdapterInfo* Next;
    char AdapterName[260];
    char Description[132];
    DWORD Index;
    IpAddrString IpAddressList;  // first element embedded, the rest chained
    IpAddrString GatewayList;
};

struct IpPerAdapterInfo {
    UINT AutoconfigEnabled;
    UINT AutoconfigActive;
    IpAddrString DnsServerList;
};

// With too small a buffer (or none): ERROR_BUFFER_OVERFLOW and the size needed.
// No adapter: ERROR_NO_DATA. Otherwise fills the buffer and returns 0.
DWORD GetAdaptersInfo(IpAdapterInfo* buffer, DWORD* sizeBytes);
// Same convention for the DNS servers of the interface `index`.
DWORD GetPerAdapterInfo(DWORD index, IpPerAdapterInfo* buffer, DWORD* sizeBytes);

}  // namespace platform
