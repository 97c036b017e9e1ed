// Arbitrary bytes from a host, delivered in arbitrary pieces, into a real player window on
// the offscreen platform: its connection's framing and queue, its dispatch and every
// component a message reaches (roster, score board, turn panel, board, chat, snapshots).
// Nothing may crash, hang or grow without bound; the sanitizers watch every step, and the
// checks below hold what a hostile host must never break.
#include "client/clientconnection.h"
#include "client/fakeservices.h"
#include "client/tchat.h"
#include "protocol/message.h"

#include "ui_tchat.h"

#include <QApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Building a window (its menus, panels and pictures) costs far more than the messages of one
// input, so one window serves a run of inputs and is then built anew, logged in as slot 2.
// (A fault that needs an earlier input of the same window still shows, with its stack, in
// the run's log.)
constexpr int kInputsPerWindow = 1024;

struct Fixture {
    std::unique_ptr<clienttest::WindowUnderTest> table;
    int inputs = 0;

    clienttest::WindowUnderTest& window()
    {
        if (inputs++ % kInputsPerWindow == 0) {
            table.reset();
            table = std::make_unique<clienttest::WindowUnderTest>();
            table->host("CMD_sendlogininfo+2");
        }
        table->dialogs.shown.clear();
        return *table;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

} // namespace

// No leak detection here: Qt's font caches fill as new text is laid out, which would count
// as a leak after many an input. (The window's unit tests run with leak detection.)
extern "C" const char* __lsan_default_options();
extern "C" const char* __lsan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    clienttest::WindowUnderTest& table = fixture().window();
    client::Tchat& window = *table.window;
    client::ClientConnection& connection = window.connection();

    // The first byte chooses how the stream is cut into reads; each read is handled whole
    // before the next arrives, as the window's drain timer would.
    const size_t piece = 1 + data[0] % 128;
    const auto* bytes = reinterpret_cast<const char*>(data + 1);
    const auto total = static_cast<qsizetype>(size - 1);
    for (qsizetype at = 0; at < total; at += static_cast<qsizetype>(piece)) {
        const qsizetype n = std::min<qsizetype>(static_cast<qsizetype>(piece), total - at);
        connection.receive(QByteArrayView(bytes + at, n));
        check(connection.queuedBytes() <=
              client::ClientConnection::kMaxQueuedBytes + protocol::kMaxEntryLength);
        while (connection.hasQueuedMessages())
            connection.drainTick();
    }

    // What a host can never change: the board's size, the bounds of the transcript and of
    // the spectator list, and one box at most for a whole input (bad lines are logged).
    const QImage& board = window.ui().image_main->picture();
    check(board.width() == 533 && board.height() == 369);
    check(window.ui().mainchat->document()->blockCount() <= client::ChatView::kMaxLines);
    check(window.roster().spectatorEntries().size() <= 5);
    check(table.dialogs.shown.size() <= 2);
    return 0;
}
