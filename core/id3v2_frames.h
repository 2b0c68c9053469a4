// The walk through an ID3v2 tag's frames, by their sizes, for its title and
// artist.
#ifndef QUILLON_CORE_ID3V2_FRAMES_H
#define QUILLON_CORE_ID3V2_FRAMES_H

#include "id3v2_header.h"
#include "tag_bytes.h"

// Leaves in `title` and `artist` (room for TEXT_BUFFER bytes each, always
// terminated, empty when absent) the texts of the first TIT2 and TPE1 frames
// (TT2 and TP1 in version 2.2) of the tag that `header` describes, whose
// frames `bytes` holds. The walk goes by the frames' sizes: padding ends it,
// and so does a frame that runs past the tag. Version 2.4 sizes are syncsafe
// unless the tag reads better with plain ones, which iTunes once wrote:
// counted as mutagen counts them, by the known frame ids that each reading
// meets and where it ends.
void FindTitleAndArtist(TagBytes* bytes, const Id3v2TagHeader& header, char* title, char* artist);

// The same for the tag whose first `count` bytes (from "ID3" on) are at `tag`:
// what more the walk needs is read from `file` (none when null), in which the
// tag starts at `tagOffset`. A tag that ParseId3v2Header refuses has no texts.
void ReadId3v2Texts(const unsigned char* tag, int count, const InputFile* file, int64_t tagOffset, char* title,
                    char* artist);

#endif
