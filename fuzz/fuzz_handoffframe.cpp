// The frame a second copy sends: any bytes are read without harm and without trusting the
// sizes they claim; a frame read whole encodes back to the same command line; and every
// command line survives encoding and decoding, where a cut frame is never complete.
#include "FuzzCheck.h"
#include "startup/HandOffFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    const HandOffFrame read = HandOffFrame::decode(bytes);
    if (read.state == HandOffFrame::State::Complete) {
        const QByteArray again = HandOffFrame::encode(read.commandLine);
        FUZZ_CHECK(bytes.startsWith(again));
        FUZZ_CHECK(HandOffFrame::decode(again).commandLine == read.commandLine);
    } else {
        FUZZ_CHECK(read.commandLine.isEmpty());
    }

    QStringList commandLine;
    for (const QByteArray& part : bytes.split('\n'))
        commandLine << QString::fromUtf8(part);
    const QByteArray frame = HandOffFrame::encode(commandLine);
    const HandOffFrame decoded = HandOffFrame::decode(frame);
    FUZZ_CHECK(decoded.state == HandOffFrame::State::Complete);
    FUZZ_CHECK(decoded.commandLine == commandLine);
    FUZZ_CHECK(HandOffFrame::decode(frame.chopped(1)).state == HandOffFrame::State::Incomplete);
    return 0;
}
