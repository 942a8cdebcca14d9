// Test plugin: what a user's own Qt plugin could do in a program that holds
// CAP_NET_RAW. Qt loads it for the window's PNG icons; on load it tries a
// packet socket and writes the outcome to $QV_PROBE_FILE.
#include <QImageIOPlugin>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Probe
{
    Probe()
    {
        const int fd = ::socket(AF_PACKET, SOCK_RAW, 0);
        const int error = errno;
        if (const char* path = std::getenv("QV_PROBE_FILE"))
            if (FILE* out = std::fopen(path, "w")) {
                std::fprintf(out, fd >= 0 ? "opened\n" : "refused %d\n", error);
                std::fclose(out);
            }
        if (fd >= 0)
            ::close(fd);
    }
} probe;

} // namespace

class PacketSocketPlugin : public QImageIOPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "PacketSocketPlugin.json")
public:
    Capabilities capabilities(QIODevice*, const QByteArray&) const override { return {}; }
    QImageIOHandler* create(QIODevice*, const QByteArray&) const override { return nullptr; }
};

#include "PacketSocketPlugin.moc"
