#include "exchange/channel.h"

namespace kora {

std::string replyFilePath(std::string_view basePath, std::string_view command) {
    std::string path(basePath);
    path += "\\RCData\\reply_zelKORA_";
    path += command;
    path += ".txt";
    return path;
}

std::string requestText(std::string_view command, std::string_view serverKey, int32_t hostIndex,
                        std::optional<std::string_view> payload) {
    std::string text = "Plugin_zelKORA_";
    text += command;
    text += '_';
    text += serverKey;
    text += "_VB6_";
    text += std::to_string(hostIndex);
    if (payload) {
        text += '_';
        text += *payload;
    }
    return text;
}

void sendCommand(Module& module, std::string_view command, std::optional<std::string_view> payload) {
    const ModuleState& s = module.state;
    const std::string replyFile = replyFilePath(s.basePath, command);
    const std::string folder = s.basePath + "\\RCData";
    FileService& files = module.files();
    if (!files.folderExists(folder)) files.createFolder(folder);
    if (files.fileExists(replyFile)) files.deleteFile(replyFile);
    files.createTextFile(replyFile);
    module.utility().writeFile(replyFile, requestText(command, s.serverKey, s.hostIndex, payload));
}

}  // namespace kora
