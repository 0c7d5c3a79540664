// The reference translation engine program (ejquarto / jequarto): serves the engine link and
// the engine's DDE service under its window class, or translates from the command line.
#include "engineserver.h"

#include <EngineProtocol.h>
#include <Messages.h>

#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/qtmessagebox.h>

#include <engine/translator.h>

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

using namespace yv;

constexpr engine::Direction kDirection = YV_ENGINE_DIRECTION == 1 ? engine::Direction::EJ : engine::Direction::JE;
constexpr const char* kProgram = YV_ENGINE_DIRECTION == 1 ? "ejquarto" : "jequarto";

int usage(int status)
{
    std::fprintf(status ? stderr : stdout,
                 "usage: %s                     serve the suite (window class %s)\n"
                 "       %s --translate [FILE]  print the result blocks of a text (file or standard input;\n"
                 "                              UTF-8 or CP932 in, UTF-8 out)\n"
                 "       %s --lookup WORD       print the dictionary entries of a word\n"
                 "       %s --init-dictionary PATH  create an empty user dictionary (PATH.dic, PATH.idx)\n",
                 kProgram, YV_ENGINE_DIRECTION == 1 ? "HINGE/EJ" : "HINGE/JE", kProgram, kProgram, kProgram);
    return status;
}

int commandLine(const std::string& command, const std::string& argument, bool hasArgument)
{
    const auto translator = engineapp::loadTranslator();
    if (!translator)
        return 2;
    const engine::Options options = engineapp::loadOptions(kDirection);
    if (command == "--lookup") {
        const std::string word = codec::toCp932(argument, codec::detectEncoding(argument));
        std::printf("%s\n", codec::cp932ToUtf8(translator->lookUp(word, kDirection, options)).c_str());
        return 0;
    }
    std::string input;
    if (hasArgument) {
        std::ifstream in(argument, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read %s\n", kProgram, argument.c_str());
            return 2;
        }
        input.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        input.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }
    const std::string text = codec::toCp932(input, codec::detectEncoding(input));
    const std::atomic<bool> never{false};
    translator->translateText(text, kDirection, options,
                              [](const std::string& result) { std::printf("%s\n", codec::cp932ToUtf8(result).c_str()); },
                              never);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) {
        const std::string command = argv[1];
        if (command == "--help" || command == "-h")
            return usage(0);
        if (command == "--translate" && argc <= 3)
            return commandLine(command, argc == 3 ? argv[2] : "", argc == 3);
        if (command == "--lookup" && argc == 3)
            return commandLine(command, argv[2], true);
        if (command == "--init-dictionary" && argc == 3) {
            if (engine::userdic::create(argv[2]))
                return 0;
            std::fprintf(stderr, "%s: cannot create the user dictionary %s\n", kProgram, argv[2]);
            return 2;
        }
        return usage(1);
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    msgbox::installQtPresenter();
    const std::string_view windowClass =
        kDirection == engine::Direction::EJ ? engineprotocol::kWindowClassEJ : engineprotocol::kWindowClassJE;
    // WM_CLOSE ends the engine: that is how new settings take effect.
    const auto endpoint = bus::WindowEndpoint::registerWindow(
        windowClass, 0, [](std::uint32_t message, std::uint64_t, std::int64_t) -> std::int64_t {
            if (message == messages::kWmClose)
                QApplication::quit();
            return 0;
        });
    if (!endpoint)
        return 0;  // an engine of this direction is already running
    engineapp::EngineServer server(kDirection);
    if (!server.start()) {
        std::fprintf(stderr, "%s: cannot serve the engine service on the session bus\n", kProgram);
        return 1;
    }
    return app.exec();
}
