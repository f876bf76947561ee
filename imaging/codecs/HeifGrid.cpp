#include "HeifGrid.h"

#include <QIODevice>
#include <cstdint>
#include <map>
#include <set>

#include "HeifBoxes.h"

namespace {

// A phone's grid has a few dozen tiles; 48 megapixels in 512-pixel tiles are 192.
constexpr std::size_t kMostTiles = 4096;

// Big-endian fields of a box, read within its bounds; a read past them fails the box.
class Fields {
public:
    Fields(const QByteArray& data, qsizetype begin, qsizetype end)
        : m_data(data), m_at(begin), m_end(end) {}
    std::uint64_t Take(int bytes) {
        if (bytes < 0 || bytes > 8 || m_end - m_at < bytes) {
            m_failed = true;
            return 0;
        }
        const std::uint64_t value = bytes == 0 ? 0 : BigEndian(m_data.constData() + m_at, bytes);
        m_at += bytes;
        return value;
    }
    QByteArray TakeType() {
        if (m_end - m_at < 4) {
            m_failed = true;
            return {};
        }
        m_at += 4;
        return m_data.mid(m_at - 4, 4);
    }
    qsizetype At() const { return m_at; }
    bool Failed() const { return m_failed; }

private:
    const QByteArray& m_data;
    qsizetype m_at;
    qsizetype m_end;
    bool m_failed = false;
};

struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct Item {
    QByteArray type;
    int method = -1;  // construction method of its data: 0 in the file, 1 in the meta box's idat
    std::vector<Extent> extents;
    std::vector<std::pair<int, bool>> properties;  // index into ipco from 1, essential
};

// What the meta box says of its items.
struct Meta {
    const QByteArray& data;
    std::uint32_t primary = 0;
    std::map<std::uint32_t, Item> items = {};
    std::vector<std::pair<qsizetype, qsizetype>> properties = {};  // each box of ipco, whole
    std::map<std::uint32_t, std::vector<std::uint32_t>> tilesOf = {};
    // items an auxiliary picture (alpha, depth) belongs to
    std::set<std::uint32_t> withAuxiliary = {};
    QByteArray idat = {};
    bool failed = false;
};

void ReadItemInfo(Meta& meta, qsizetype begin, qsizetype end) {
    Fields fields(meta.data, begin, end);
    const auto version = fields.Take(1);
    fields.Take(3);
    fields.Take(version == 0 ? 2 : 4);  // entry count
    meta.failed |=
        fields.Failed() ||
        !ForEachBox(
            meta.data, fields.At(), end, [&](const QByteArray& type, qsizetype from, qsizetype to) {
                Fields entry(meta.data, from, to);
                const auto entryVersion = entry.Take(1);
                entry.Take(3);
                if (type != "infe" || entryVersion < 2) {
                    return;
                }
                const auto id = static_cast<std::uint32_t>(entry.Take(entryVersion == 2 ? 2 : 4));
                entry.Take(2);  // protection
                meta.items[id].type = entry.TakeType();
                meta.failed |= entry.Failed();
            });
}

void ReadLocations(Meta& meta, qsizetype begin, qsizetype end) {
    Fields fields(meta.data, begin, end);
    const auto version = fields.Take(1);
    fields.Take(3);
    const auto sizes = fields.Take(1);
    const auto more = fields.Take(1);
    const int offsetSize = static_cast<int>(sizes >> 4);
    const int lengthSize = static_cast<int>(sizes & 15);
    const int baseSize = static_cast<int>(more >> 4);
    const int indexSize = version == 1 || version == 2 ? static_cast<int>(more & 15) : 0;
    const auto count = fields.Take(version < 2 ? 2 : 4);
    for (std::uint64_t i = 0; i < count && !fields.Failed(); ++i) {
        const auto id = static_cast<std::uint32_t>(fields.Take(version < 2 ? 2 : 4));
        Item& item = meta.items[id];
        item.method = version == 1 || version == 2 ? static_cast<int>(fields.Take(2) & 15) : 0;
        fields.Take(2);  // data reference
        const std::uint64_t base = fields.Take(baseSize);
        const auto extents = fields.Take(2);
        for (std::uint64_t e = 0; e < extents && !fields.Failed(); ++e) {
            fields.Take(indexSize);
            const std::uint64_t offset = fields.Take(offsetSize);
            item.extents.push_back({base + offset, fields.Take(lengthSize)});
        }
    }
    meta.failed |= fields.Failed();
}

void ReadReferences(Meta& meta, qsizetype begin, qsizetype end) {
    Fields fields(meta.data, begin, end);
    const int idSize = fields.Take(1) == 0 ? 2 : 4;
    fields.Take(3);
    meta.failed |=
        fields.Failed() ||
        !ForEachBox(meta.data, fields.At(), end,
                    [&](const QByteArray& type, qsizetype from, qsizetype to) {
                        Fields reference(meta.data, from, to);
                        const auto source = static_cast<std::uint32_t>(reference.Take(idSize));
                        const auto count = reference.Take(2);
                        std::vector<std::uint32_t> targets;
                        for (std::uint64_t i = 0; i < count && !reference.Failed(); ++i) {
                            targets.push_back(static_cast<std::uint32_t>(reference.Take(idSize)));
                        }
                        meta.failed |= reference.Failed();
                        if (type == "dimg") {
                            meta.tilesOf[source] = targets;
                        } else if (type == "auxl") {
                            meta.withAuxiliary.insert(targets.begin(), targets.end());
                        }
                    });
}

void ReadAssociations(Meta& meta, qsizetype begin, qsizetype end) {
    Fields fields(meta.data, begin, end);
    const auto version = fields.Take(1);
    const bool wide = (fields.Take(3) & 1) != 0;
    const auto count = fields.Take(4);
    for (std::uint64_t i = 0; i < count && !fields.Failed(); ++i) {
        Item& item = meta.items[static_cast<std::uint32_t>(fields.Take(version < 1 ? 2 : 4))];
        const auto associations = fields.Take(1);
        for (std::uint64_t a = 0; a < associations && !fields.Failed(); ++a) {
            const auto value = fields.Take(wide ? 2 : 1);
            const std::uint64_t essential = wide ? 0x8000 : 0x80;
            item.properties.emplace_back(static_cast<int>(value & (essential - 1)),
                                         (value & essential) != 0);
        }
    }
    meta.failed |= fields.Failed();
}

Meta ReadMeta(const QByteArray& data) {
    Meta meta{data};
    const auto properties = [&](const QByteArray& type, qsizetype begin, qsizetype end) {
        if (type == "ipco") {
            qsizetype next = begin;
            meta.failed |=
                !ForEachBox(data, begin, end, [&](const QByteArray&, qsizetype, qsizetype to) {
                    meta.properties.emplace_back(next, to);
                    next = to;
                });
        } else if (type == "ipma") {
            ReadAssociations(meta, begin, end);
        }
    };
    const auto top = [&](const QByteArray& type, qsizetype begin, qsizetype end) {
        if (type == "pitm") {
            Fields fields(data, begin, end);
            const int idSize = fields.Take(1) == 0 ? 2 : 4;
            fields.Take(3);
            meta.primary = static_cast<std::uint32_t>(fields.Take(idSize));
            meta.failed |= fields.Failed();
        } else if (type == "iinf") {
            ReadItemInfo(meta, begin, end);
        } else if (type == "iloc") {
            ReadLocations(meta, begin, end);
        } else if (type == "iref") {
            ReadReferences(meta, begin, end);
        } else if (type == "iprp") {
            meta.failed |= !ForEachBox(data, begin, end, properties);
        } else if (type == "idat") {
            meta.idat = data.mid(begin, end - begin);
        }
    };
    // meta is a full box: four bytes of version and flags before its children.
    meta.failed |= data.size() < 4 || !ForEachBox(data, 4, data.size(), top);
    return meta;
}

QByteArray PropertyType(const Meta& meta, int index) {
    return meta.data.mid(meta.properties[static_cast<std::size_t>(index - 1)].first + 4, 4);
}

// A byte of a property after its header (a full box's version and flags first); -1 past its end.
int PropertyByte(const Meta& meta, int index, int offset) {
    const auto [begin, end] = meta.properties[static_cast<std::size_t>(index - 1)];
    return begin + 8 + offset < end ? static_cast<unsigned char>(meta.data[begin + 8 + offset])
                                    : -1;
}

bool KnownProperties(const Meta& meta, const Item& item) {
    for (const auto& [index, essential] : item.properties) {
        Q_UNUSED(essential);
        // Properties are read past a header of 8 bytes: one of 64-bit size is no photo's.
        if (index < 1 || static_cast<std::size_t>(index) > meta.properties.size() ||
            BigEndian(
                meta.data.constData() + meta.properties[static_cast<std::size_t>(index - 1)].first,
                4) == 1) {
            return false;
        }
    }
    return true;
}

// An item's data, read from the file (method 0) or the meta box (method 1).
std::optional<QByteArray> ItemData(const Meta& meta, const Item& item, QIODevice& device) {
    QByteArray data;
    for (const Extent& extent : item.extents) {
        const std::uint64_t available = item.method == 0
                                            ? static_cast<std::uint64_t>(device.size())
                                            : static_cast<std::uint64_t>(meta.idat.size());
        if (extent.length == 0 || extent.offset > available ||
            extent.length > available - extent.offset) {
            return std::nullopt;
        }
        if (item.method == 1) {
            data += meta.idat.mid(static_cast<qsizetype>(extent.offset),
                                  static_cast<qsizetype>(extent.length));
        } else if (item.method == 0 && device.seek(static_cast<qint64>(extent.offset))) {
            const QByteArray part = device.read(static_cast<qint64>(extent.length));
            if (part.size() != static_cast<qsizetype>(extent.length)) {
                return std::nullopt;
            }
            data += part;
        } else {
            return std::nullopt;
        }
    }
    return data;
}

QByteArray Box(const char* type, const QByteArray& content) {
    QByteArray box;
    const auto size = static_cast<std::uint32_t>(content.size() + 8);
    for (int shift = 24; shift >= 0; shift -= 8) {
        box += static_cast<char>((size >> shift) & 0xFF);
    }
    return box + QByteArray(type, 4) + content;
}

QByteArray Number(std::uint64_t value, int bytes) {
    QByteArray out;
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
    return out;
}

// A HEIF file of one tile: its properties as they stand in the grid's file, its coded data.
QByteArray TileFile(const Meta& meta, const Item& tile, const QByteArray& coded) {
    QByteArray properties;
    QByteArray associations;
    for (const auto& [index, essential] : tile.properties) {
        const auto [begin, end] = meta.properties[static_cast<std::size_t>(index - 1)];
        properties += meta.data.mid(begin, end - begin);
        associations += static_cast<char>((essential ? 0x80 : 0) | (associations.size() + 1));
    }
    const QByteArray version0 = Number(0, 4);
    const QByteArray head =
        Box("hdlr", version0 + Number(0, 4) + "pict" + QByteArray(13, '\0')) +
        Box("pitm", version0 + Number(1, 2)) +
        Box("iinf", version0 + Number(1, 2) +
                        Box("infe", Number(2, 1) + Number(0, 3) + Number(1, 2) + Number(0, 2) +
                                        "hvc1" + QByteArray(1, '\0'))) +
        Box("iprp", Box("ipco", properties) +
                        Box("ipma", version0 + Number(1, 4) + Number(1, 2) +
                                        Number(static_cast<std::uint64_t>(associations.size()), 1) +
                                        associations));
    const QByteArray type = Box("ftyp", QByteArray("heic") + Number(0, 4) + "mif1heic");
    // The location box's size does not depend on the offset it holds.
    const auto location = [&](std::uint64_t offset) {
        return Box("iloc", version0 + Number(0x44, 1) + Number(0, 1) + Number(1, 2) + Number(1, 2) +
                               Number(0, 2) + Number(1, 2) + Number(offset, 4) +
                               Number(static_cast<std::uint64_t>(coded.size()), 4));
    };
    const qsizetype metaSize = 12 + head.size() + location(0).size();
    const auto dataAt = static_cast<std::uint64_t>(type.size() + metaSize + 8);
    return type + Box("meta", version0 + head + location(dataAt)) + Box("mdat", coded);
}

std::optional<std::vector<HeifTurn>> GridTurns(const Meta& meta, const Item& grid) {
    std::vector<HeifTurn> turns;
    for (const auto& [index, essential] : grid.properties) {
        const QByteArray type = PropertyType(meta, index);
        if (type == "irot") {
            static constexpr HeifTurn kTurns[] = {HeifTurn::Rotate90, HeifTurn::Rotate180,
                                                  HeifTurn::Rotate270};
            const int angle = PropertyByte(meta, index, 0);
            const int quarter = angle & 3;
            if (angle < 0) {
                return std::nullopt;
            }
            if (quarter != 0) {
                turns.push_back(kTurns[quarter - 1]);
            }
        } else if (type == "imir") {
            const int axis = PropertyByte(meta, index, 0);
            if (axis < 0) {
                return std::nullopt;
            }
            turns.push_back((axis & 1) != 0 ? HeifTurn::MirrorLeftRight : HeifTurn::MirrorUpDown);
        } else if (type == "pixi") {
            // Four bytes of version and flags, the channel count, then bits per channel.
            const int channels = PropertyByte(meta, index, 4);
            for (int c = 0; c < channels; ++c) {
                if (PropertyByte(meta, index, 5 + c) != 8) {
                    return std::nullopt;
                }
            }
        } else if (type == "clap") {
            return std::nullopt;
        }
    }
    return turns;
}

// A tile's size from its ispe box; nothing for a tile turned or cropped by its own boxes.
std::optional<QPoint> TileSize(const Meta& meta, const Item& tile) {
    std::optional<QPoint> size;
    for (const auto& [index, essential] : tile.properties) {
        const QByteArray type = PropertyType(meta, index);
        if (type == "irot" || type == "imir" || type == "clap") {
            return std::nullopt;
        }
        const auto [begin, end] = meta.properties[static_cast<std::size_t>(index - 1)];
        if (type == "ispe" && end - begin >= 20) {
            const auto width = BigEndian(meta.data.constData() + begin + 12, 4);
            const auto height = BigEndian(meta.data.constData() + begin + 16, 4);
            if (width == 0 || height == 0 || width > 65535 || height > 65535) {
                return std::nullopt;
            }
            size = QPoint(static_cast<int>(width), static_cast<int>(height));
        }
    }
    return size;
}

std::optional<HeifTileGrid> ReadGrid(QIODevice& device) {
    const HeifMeta found = ReadHeifMeta(device);
    const Meta meta = ReadMeta(found.meta);
    const auto primary = meta.items.find(meta.primary);
    const auto tileIds = meta.tilesOf.find(meta.primary);
    if (meta.failed || primary == meta.items.end() || primary->second.type != "grid" ||
        tileIds == meta.tilesOf.end() || tileIds->second.size() > kMostTiles ||
        !KnownProperties(meta, primary->second) || meta.withAuxiliary.count(meta.primary) != 0) {
        return std::nullopt;
    }
    const std::optional<QByteArray> layout = ItemData(meta, primary->second, device);
    const std::optional<std::vector<HeifTurn>> turns = GridTurns(meta, primary->second);
    if (!layout || layout->size() < 8 || !turns) {
        return std::nullopt;
    }
    // rows and columns less one, then the output size in 16 or 32 bits (flag 1)
    Fields fields(*layout, 0, layout->size());
    fields.Take(1);
    const int sideBytes = (fields.Take(1) & 1) != 0 ? 4 : 2;
    const auto rows = static_cast<int>(fields.Take(1) + 1);
    const auto columns = static_cast<int>(fields.Take(1) + 1);
    HeifTileGrid grid;
    grid.width = static_cast<int>(std::min<std::uint64_t>(fields.Take(sideBytes), 65535));
    grid.height = static_cast<int>(std::min<std::uint64_t>(fields.Take(sideBytes), 65535));
    grid.turns = *turns;
    if (fields.Failed() || grid.width == 0 || grid.height == 0 ||
        tileIds->second.size() != static_cast<std::size_t>(rows * columns)) {
        return std::nullopt;
    }
    // Tiles are laid left to right, each row as high as its last tile, as libheif lays them.
    // Their files hold about what the grid's holds; a file whose tiles would make far more of
    // it (one large tile named many times) is left to libheif.
    const qint64 mostBytes = 2 * device.size() + kMostTiles * 1024;
    qint64 bytes = 0;
    QPoint origin;
    for (std::size_t i = 0; i < tileIds->second.size(); ++i) {
        const auto tile = meta.items.find(tileIds->second[i]);
        if (tile == meta.items.end() || tile->second.type != "hvc1" || tile->second.method != 0 ||
            !KnownProperties(meta, tile->second) || tile->second.properties.size() > 127 ||
            meta.withAuxiliary.count(tile->first) != 0) {
            return std::nullopt;
        }
        const std::optional<QPoint> size = TileSize(meta, tile->second);
        const std::optional<QByteArray> coded = ItemData(meta, tile->second, device);
        if (!size || !coded || origin.x() >= grid.width || origin.y() >= grid.height) {
            return std::nullopt;
        }
        grid.tiles.push_back({TileFile(meta, tile->second, *coded), origin});
        bytes += grid.tiles.back().file.size();
        if (bytes > mostBytes) {
            return std::nullopt;
        }
        origin.rx() += size->x();
        if ((i + 1) % static_cast<std::size_t>(columns) == 0) {
            origin = QPoint(0, origin.y() + size->y());
        }
    }
    return grid;
}

}  // namespace

std::optional<HeifTileGrid> ReadHeifGrid(QIODevice& device) {
    const qint64 start = device.pos();
    std::optional<HeifTileGrid> grid = ReadGrid(device);
    device.seek(start);
    return grid;
}
