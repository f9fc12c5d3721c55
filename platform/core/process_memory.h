// How the process's heap treats large blocks.
#pragma once

namespace kvn {

// Blocks of 512 KiB and more (a big folder's listing, records of many
// thousands of e-mails) are mapped on their own and go back to the system
// the moment they are freed. By default the C library raises that bound to
// the size of every large block freed, so that after one big listing the
// next ones come from the heap, and the heap keeps their space long after
// them: a long-running filter would stay as big as its biggest folder made
// it. Called once, at the start of a program that runs passes.
void keepLargeBlocksMapped();

} // namespace kvn
