#include "FuzzSupport.h"

#include <QGuiApplication>
#include <memory>
#include <optional>

#include "imaging/codecs/PictureObject.h"
#include "platform/emulation/Prompts.h"

namespace {

class SilentPrompts final : public Prompts {
public:
    Answer ShowMessage(const Message&) override { return Answer::Cancel; }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return std::nullopt; }
};

}  // namespace

void PrepareFuzzing(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    static SilentPrompts silent;
    InstallPrompts(&silent);
    QuietDecoderMessages();
}

std::uint32_t Digest(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash;
}
