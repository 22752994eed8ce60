#pragma once

#include <QByteArray>
#include <QString>

#include "packet/packet.h"

// Word packets (.docx) read on the room's own PC: the zip container through
// libzip, the document through Qt's XML stream reader, the lines through
// textpacket.h's conventions. Bold, underline, italics, sub- and superscripts
// are kept as <b> <u> <i> <sub> <sup>.
//
// Only the main document is unzipped, in pieces, and never more of it than
// PacketLimits::documentBytes however small the archive claims it to be;
// pictures are never read, so a 50 MB file costs what its text costs.
namespace packet {

PacketRead readDocxPacket(const QByteArray& bytes, const PacketLimits& limits = {});
PacketRead readDocxPacketFile(const QString& path, const PacketLimits& limits = {});

// Whether the first bytes of a file are a zip archive's (a .docx is one), or
// an older Word document's (.doc), which this reader can only name.
bool looksLikeZip(const QByteArray& head);
bool looksLikeOldWord(const QByteArray& head);

}  // namespace packet
