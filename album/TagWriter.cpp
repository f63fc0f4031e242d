#include "album/TagWriter.h"

#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include "album/Utf8Text.h"

namespace {

enum class TagKind { Flac, Vorbis, Mp3, None };

TagKind KindOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::string extension =
        album::LowerCase(dot == std::string::npos ? "" : path.substr(dot));
    if (extension == ".flac") return TagKind::Flac;
    if (extension == ".ogg") return TagKind::Vorbis;
    if (extension == ".mp3") return TagKind::Mp3;
    return TagKind::None;
}

TagLib::String Text(const std::string& text) {
    return TagLib::String(album::ValidUtf8(text), TagLib::String::UTF8);
}

// Our fields over whatever the file already has (oggenc's ENCODER stays).
TagLib::PropertyMap Merge(TagLib::PropertyMap map, const TrackTags& tags, TagKind kind) {
    const auto set = [&map](const char* key, const std::string& value) {
        if (!value.empty()) map.replace(key, TagLib::StringList(Text(value)));
    };
    set("ARTIST", tags.artist);
    set("ALBUMARTIST", tags.albumArtist);
    set("ALBUM", tags.album);
    set("TITLE", tags.title);
    set("DATE", tags.date);
    set("GENRE", tags.genre);
    std::string number = std::to_string(tags.number);
    if (tags.total > 0) {
        // ID3v2 keeps the total in the track frame itself; Vorbis comments have a field.
        if (kind == TagKind::Mp3)
            number += "/" + std::to_string(tags.total);
        else
            set("TRACKTOTAL", std::to_string(tags.total));
    }
    set("TRACKNUMBER", number);
    return map;
}

template <class Tag>
void Apply(Tag* tag, const TrackTags& tags, TagKind kind) {
    tag->setProperties(Merge(tag->properties(), tags, kind));
}

const std::string kFailed = "tags not written: ";

}  // namespace

std::string album::WriteTrackTags(const std::string& path, const TrackTags& tags) {
    const TagKind kind = KindOf(path);
    bool saved = false;
    if (kind == TagKind::None) {
        return kFailed + "no tag format for this file name";
    } else if (kind == TagKind::Mp3) {
        TagLib::MPEG::File file(path.c_str(), false);
        if (!file.isValid()) return kFailed + "not an MP3 file";
        Apply(file.ID3v2Tag(true), tags, kind);
        saved = file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                          TagLib::File::DoNotDuplicate);
    } else if (kind == TagKind::Flac) {
        TagLib::FLAC::File file(path.c_str(), false);
        if (!file.isValid()) return kFailed + "not a FLAC file";
        Apply(file.xiphComment(true), tags, kind);
        saved = file.save();
    } else {
        TagLib::Ogg::Vorbis::File file(path.c_str(), false);
        if (!file.isValid()) return kFailed + "not an Ogg Vorbis file";
        Apply(file.tag(), tags, kind);
        saved = file.save();
    }
    return saved ? std::string() : kFailed + "the file could not be saved";
}

std::string album::TagEncodedFile(const SideTracks& tracks, int number, int index,
                                  const std::string& path) {
    const std::optional<TrackTags> tags = tracks.Tags(number, index);
    return tags ? WriteTrackTags(path, *tags) : std::string();
}
