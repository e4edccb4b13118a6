"""Checks the resources of the Windows executable: an icon, the application manifest (per-monitor
DPI awareness version 2, the version 6 common controls) and a version resource whose numbers
are the project's one version, as the top CMakeLists.txt gives it.

Run as: python3 pe_resources.py PATH/TO/bugwalk.exe PATH/TO/CMakeLists.txt"""

import re
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
RESOURCE_DIRECTORY_INDEX = 2
PE32_PLUS_MAGIC = 0x20B
SUBDIRECTORY_FLAG = 0x80000000
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


def read_resources(path):
    """{type id: {name id: bytes}} of a PE32+ file, the first language of each resource."""
    with open(path, "rb") as source:
        data = source.read()
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    coff = pe_offset + 4
    section_count, optional_size = struct.unpack_from("<2xH12xH", data, coff)
    optional = coff + 20
    (magic,) = struct.unpack_from("<H", data, optional)
    if magic != PE32_PLUS_MAGIC:
        raise ValueError("not a 64-bit PE file")
    directories = optional + 112
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 8 * RESOURCE_DIRECTORY_INDEX)
    if resource_size == 0:
        return {}
    sections = []
    for i in range(section_count):
        header = optional + optional_size + 40 * i
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", data, header + 8)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_offset))

    def file_offset(rva):
        for address, size, raw in sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("address %#x lies in no section" % rva)

    base = file_offset(resource_rva)

    def entries(directory_offset):
        named, numbered = struct.unpack_from("<12xHH", data, base + directory_offset)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + directory_offset + 16 + 8 * i)
            yield name, target

    resources = {}
    for type_id, type_target in entries(0):
        by_name = resources.setdefault(type_id, {})
        for name_id, name_target in entries(type_target & ~SUBDIRECTORY_FLAG):
            for _, language_target in entries(name_target & ~SUBDIRECTORY_FLAG):
                rva, size = struct.unpack_from("<II", data, base + language_target)
                offset = file_offset(rva)
                by_name[name_id] = data[offset:offset + size]
                break
    return resources


def project_version(cmake_lists):
    with open(cmake_lists) as source:
        found = re.search(r"project\(\s*KD508\s+VERSION\s+(\d+)\.(\d+)\.(\d+)", source.read())
    if not found:
        raise ValueError("no project version in " + cmake_lists)
    return tuple(int(part) for part in found.groups())


def problems_of(resources, version):
    problems = []
    if not resources.get(RT_ICON) or not resources.get(RT_GROUP_ICON):
        problems.append("no icon")

    manifest = resources.get(RT_MANIFEST, {}).get(1)
    if manifest is None:
        problems.append("no application manifest (RT_MANIFEST 1)")
    else:
        text = manifest.decode("utf-8", errors="replace")
        for required in ("PerMonitorV2", "true/pm", "Microsoft.Windows.Common-Controls",
                         'version="6.0.0.0"', 'version="%d.%d.%d.0"' % version):
            if required not in text:
                problems.append("the manifest lacks %s" % required)

    version_block = resources.get(RT_VERSION, {}).get(1)
    if version_block is None:
        problems.append("no version resource")
    else:
        fixed = version_block.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE))
        if fixed < 0:
            problems.append("the version resource has no fixed file information")
        else:
            file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", version_block, fixed + 8)
            expected_ms, expected_ls = (version[0] << 16) | version[1], version[2] << 16
            if (file_ms, file_ls) != (expected_ms, expected_ls):
                problems.append("file version %d.%d.%d.%d" % (file_ms >> 16, file_ms & 0xFFFF,
                                                            file_ls >> 16, file_ls & 0xFFFF))
            if (product_ms, product_ls) != (expected_ms, expected_ls):
                problems.append("product version differs from the project's")
        strings = version_block.decode("utf-16-le", errors="replace")
        text_version = "%d.%d.%d" % version
        for key in ("FileVersion", "ProductVersion"):
            if not re.search(key + "\0+" + re.escape(text_version) + "\0", strings):
                problems.append("%s is not %s" % (key, text_version))
    return problems


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    version = project_version(sys.argv[2])
    problems = problems_of(read_resources(sys.argv[1]), version)
    if problems:
        print("bugwalk.exe resources: " + "; ".join(problems))
        sys.exit(1)
    print("bugwalk.exe has its icon, its manifest and version %d.%d.%d" % version)


if __name__ == "__main__":
    main()
