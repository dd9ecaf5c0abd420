// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the zip libraries: records every call it gets and plays back a small script of
// callback messages, so the component's argument lists and message handling can be checked
// without touching an archive. Built twice, once under each library's name.
#include "ZipStandIn.h"

#include <cstring>

using namespace Tandemix::ZipAbi;

namespace {

StandInState& State()
{
    static StandInState state;
    return state;
}

std::uint32_t Play(Callback callback, void* component)
{
    StandInState& s = State();
    switch (s.Script) {
    case ScriptCount: {
        std::uint32_t count = 7;
        s.Answers.push_back(callback(MsgEntryCount, &count, component));
        break;
    }
    case ScriptPasswordQuery: {
        char buffer[PasswordBufferSize];
        std::memset(buffer, 'X', sizeof buffer);
        QueryBlock block{"/some/where/file.txt", buffer, 9};
        s.Answers.push_back(callback(MsgPassword, &block, component));
        buffer[PasswordBufferSize - 1] = '\0';
        s.ReplyText = buffer;
        s.ReplyAction = block.Action;
        break;
    }
    case ScriptListTwo: { // the second entry after the component may have asked to stop
        FileInfo info{};
        info.FileName = "first.txt";
        info.Size = 5'000'000'000;
        info.CompressedSize = 1234;
        info.Attributes = 1 | 32;
        info.DosDateTime = 0x5A211234;
        info.Bytes[1] = 100;
        info.Comment = "a comment that is longer than it says";
        info.CommentLength = 9;
        s.Answers.push_back(callback(MsgListing, &info, component));
        info.FileName = "second.txt";
        s.Answers.push_back(callback(MsgListing, &info, component));
        break;
    }
    case ScriptSharedText: { // set, then read back
        std::string longText(400, 'q');
        TextBlock text{longText.c_str(), static_cast<std::uint16_t>(longText.size())};
        s.Answers.push_back(callback(MsgSetSharedText, &text, component));
        char buffer[SharedTextSize + 1];
        SharedTextRequest request{buffer, 0, 0};
        s.Answers.push_back(callback(MsgGetSharedText, &request, component));
        s.ReplyText = std::string(buffer);
        s.ReplyAction = static_cast<std::uint8_t>(request.Flag);
        break;
    }
    case ScriptUnknownMessage:
        s.Answers.push_back(callback(4242, nullptr, component));
        break;
    default:
        break;
    }
    return s.Result;
}

std::uint32_t
Record(const char* entry, std::intptr_t count, void* arguments, Callback callback, void* component)
{
    std::vector<std::string> call{entry};
    // A count block, unless the caller meant a list of one argument: a count block's first word
    // points into the block itself.
    auto* block = static_cast<CountBlock*>(arguments);
    if (count == CountFunction && block != nullptr && block->Mode == &block->ModeValue) {
        call.insert(call.end(), {"count", block->ZipFileName, std::to_string(block->ModeValue)});
    } else {
        auto** list = static_cast<const char**>(arguments);
        call.insert(call.end(), list, list + count);
    }
    State().Calls.push_back(call);
    return Play(callback, component);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) std::uint32_t
ziplib(std::uint32_t version, std::intptr_t count, void* arguments, Callback callback, void* component)
{
    return version == Version ? Record("ziplib", count, arguments, callback, component) : BadArguments;
}

__attribute__((visibility("default"))) std::uint32_t
unzlib(std::uint32_t version, std::intptr_t count, void* arguments, Callback callback, void* component)
{
    return version == Version ? Record("unzlib", count, arguments, callback, component) : BadArguments;
}

// For the tests, reached through dlsym on the same handle the component holds.
__attribute__((visibility("default"))) void* StandInRecord()
{
    return &State();
}

} // extern "C"
