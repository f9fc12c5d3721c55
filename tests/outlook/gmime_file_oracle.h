// The plain readers against GMime, from files: each message, written to a
// file, must read from it (with and without the layout a header read found)
// as GMime alone reads it from memory.
#pragma once

#include "platform/outlook/message_file.h"
#include "platform/outlook/message_parse.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvn::testing {

inline void expectFilesReadAsGMimeReadsThem(const std::vector<std::string>& messages)
{
    using namespace outlook;
    TempFolder temp;
    const std::string path = temp / "message";
    for (const std::string& message : messages) {
        SCOPED_TRACE(message.substr(0, 300));
        writeWholeFile(path, message);
        const MessageContent slow = detail::parseMessageContent(message, detail::ParsePath::GMimeOnly);
        BodyLayout layout;
        ASSERT_TRUE(readMessageHeaders(path, layout));
        for (const std::optional<MessageContent>& read : {readMessageContent(path), readMessageContent(path, layout)}) {
            ASSERT_TRUE(read);
            EXPECT_EQ(read->htmlBody, slow.htmlBody);
            EXPECT_EQ(read->textBody, slow.textBody);
            EXPECT_EQ(read->attachmentNames, slow.attachmentNames);
        }
    }
}

} // namespace kvn::testing
