// libFuzzer target over what a web reply goes through before it runs (built with
// -DVELMORA_FUZZ=ON and clang): the connection's handling of arriving bytes (cut where the
// input says), the size announcement and percentage, and the search for the reply script.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../host/fakeHostServices.h"
#include "host/httpConnection.h"
#include "world/internet.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static CfakeHostServices host; // the progress pane is only recorded
    static OBChttpConnection connection;
    host.calls.clear();
    connection.resetStatus();
    connection.openProgress("fuzz");
    connection.didReceiveResponse();
    // The first byte says where the reply is cut into two arrivals.
    size_t cut = size ? data[0] : 0;
    char const* bytes = reinterpret_cast<char const*>(data) + (size ? 1 : 0);
    size_t length = size ? size - 1 : 0;
    if (cut > length) cut = length;
    connection.didReceiveData(bytes, cut);
    connection.didReceiveData(bytes + cut, length - cut);
    connection.closeProgress();
    if (connection.getDataSize() != static_cast<int>(length)) __builtin_trap();
    if (connection.getAnticipatedDataSize() > 99999999) __builtin_trap(); // eight digits at most
    int start = findReplyScript(connection.getCharPointer(), connection.getDataSize());
    if (start < 0 || start >= 200 || (start > 0 && std::memcmp(bytes + start, "SCRIP", 5) != 0))
        __builtin_trap();
    return 0;
}
