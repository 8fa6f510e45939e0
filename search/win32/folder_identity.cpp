#include "search/win32/folder_identity.h"

#include <winternl.h>

namespace dustvane {

std::optional<uint64_t> FileIdOf(HANDLE entry) {
  IO_STATUS_BLOCK io;
  FILE_INTERNAL_INFORMATION id;
  if (!NT_SUCCESS(NtQueryInformationFile(entry, &io, &id, sizeof id, FileInternalInformation))) return std::nullopt;
  const auto file = static_cast<uint64_t>(id.IndexNumber.QuadPart);
  if (IsNoFileId(file)) return std::nullopt;
  return file;
}

std::optional<DatedFileId> DatedFileIdOf(HANDLE folder) {
  const std::optional<uint64_t> id = FileIdOf(folder);
  FILE_BASIC_INFO basic;
  if (!id || !GetFileInformationByHandleEx(folder, FileBasicInfo, &basic, sizeof basic)) return std::nullopt;
  return DatedFileId{*id, basic.CreationTime.QuadPart, basic.CreationTime.QuadPart != basic.LastWriteTime.QuadPart};
}

bool BearsIdentity(const DatedFileId& now, const DatedFileId& recorded) {
  return now.fileId == recorded.fileId && (!recorded.ownCreationTime || now.creationTime == recorded.creationTime);
}

bool IsReparsePoint(HANDLE entry) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &tag, sizeof tag)) return true;
  return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::optional<uint32_t> VolumeSerialOf(HANDLE entry) {
  DWORD serial = 0;
  if (!GetVolumeInformationByHandleW(entry, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return std::nullopt;
  return serial;
}

}  // namespace dustvane
