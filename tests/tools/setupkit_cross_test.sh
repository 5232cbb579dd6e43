#!/usr/bin/env bash
# The native and the windows setupkit must make byte-identical containers and client records,
# read each other's, and both must refuse damaged input without creating the output. Both must
# zip a folder into the same archive, encrypted with the archive password, that reads back whole,
# and write the same update list for it, signed into the same signature by either's keys. Both
# must build the same installer from the same inputs, run after run, stamp the same bytes into
# every stub and inspect alike; a signed installer and the programs it installs must verify
# against the signing CA.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh
ROOT=$PWD
NATIVE=$PWD/build/native/bin/setupkit
WINDOWS=$PWD/build/windows/bin/setupkit.exe
BIN=$PWD/build/windows/bin
PASSWORD=$(sed -n 's/^ARCHIVE_PASSWORD:STRING=//p' build/native/CMakeCache.txt)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); return; fi
  failed=$((failed + 1))
  echo "FAILED: $what"
  # What the builds said last: most often why the step before the check went wrong.
  tail -n 3 native.err windows.err 2>/dev/null | sed 's/^/  /'
}
native() { "$NATIVE" "$@" 2>>native.err; }
windows() { "$WINE" "$WINDOWS" "$@" 2>>windows.err; }

printf 'x' >one.bin
printf 'abc' >three.bin
printf 'name=client;\r\nversion=1.0;\r\n' >config.txt
head -c 300000 /dev/urandom >random.bin

for input in one.bin three.bin config.txt random.bin; do
  native pack "$input" "$input.n"
  windows pack "$input" "$input.w"
  check "$input packs identically" cmp -s "$input.n" "$input.w"
  native unpack "$input.w" "$input.wn"
  windows unpack "$input.n" "$input.nw"
  check "native unpacks the windows container of $input" cmp -s "$input" "$input.wn"
  check "windows unpacks the native container of $input" cmp -s "$input" "$input.nw"
done

printf '\xff\xfd\xfd\xff\x00\x00\x00\x00\x00\x00' >header-only.bin
printf '\xff\xfd\xfd\xff\x40\x00\x00\x00\x12\x34xyz' >runs-past.bin
for damaged in header-only.bin runs-past.bin; do
  native unpack "$damaged" n.out
  check "native refuses $damaged" test $? -eq 1 -a ! -e n.out
  windows unpack "$damaged" w.out
  check "windows refuses $damaged" test $? -eq 1 -a ! -e w.out
done

# Client records: the same configuration makes the same record in both builds, in both stored
# forms, and each build shows the other's record with the same bytes.
cp "$ROOT/samples/config.txt" vendor.txt
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE vendor.txt; } >vendor16.txt
for input in vendor.txt vendor16.txt; do
  for form in plain --packed; do
    option=$([ "$form" = --packed ] && echo --packed)
    native config "$input" "$input.$form.n" $option
    windows config "$input" "$input.$form.w" $option
    check "$input makes the same $form record" cmp -s "$input.$form.n" "$input.$form.w"
    native show "$input.$form.w" >"$input.$form.shown.n"
    windows show "$input.$form.n" >"$input.$form.shown.w"
    check "both show the $form record of $input alike" cmp -s "$input.$form.shown.n" "$input.$form.shown.w"
  done
done
check "UTF-8 and UTF-16 configurations make the same record" cmp -s vendor.txt.--packed.n vendor16.txt.--packed.n
check "show prints sixteen CR LF lines" test "$(grep -c $'\r$' vendor.txt.plain.shown.n)" -eq 16

printf 'app=x;\nhomepage=http://a/?p=1;q=2;\n' >semicolon.txt
native config semicolon.txt n.rec
check "native refuses a value holding ;" test $? -eq 1 -a ! -e n.rec
windows config semicolon.txt w.rec
check "windows refuses a value holding ;" test $? -eq 1 -a ! -e w.rec
native show header-only.bin >/dev/null
check "native show refuses a damaged record" test $? -eq 1
windows show header-only.bin >/dev/null
check "windows show refuses a damaged record" test $? -eq 1

mkdir -p client/skin client/数据/空
printf 'client' >client/client.exe
head -c 200000 /dev/urandom >client/skin/back.png
printf '说明' >client/数据/说明.txt
: >client/empty.dll
native zip client native.zip
windows zip client windows.zip
# Reads an archive of a folder with Python's zipfile: every entry encrypted with the password,
# UTF-8 names flagged, folders marked, contents equal to the folder's files. Prints the entry list.
read_archive() {
  python3 - "$1" "$2" "$PASSWORD" <<'PYTHON'
import os, sys, zipfile
archive, root, password = sys.argv[1], sys.argv[2], sys.argv[3].encode()
for info in zipfile.ZipFile(archive).infolist():
    assert info.flag_bits & 0x801 == 0x801, info.filename
    folder = info.filename.endswith("/")
    assert info.external_attr == (0x10 if folder else 0), info.filename
    data = zipfile.ZipFile(archive).read(info, pwd=password)
    if not folder:
        assert data == open(os.path.join(root, info.filename), "rb").read(), info.filename
    print(info.filename)
PYTHON
}
check "the native archive reads back" read_archive native.zip client >native.list
check "the windows archive reads back" read_archive windows.zip client >windows.list
check "both archives hold the same entries" cmp -s native.list windows.list
check "both builds make the same archive, byte for byte" cmp -s native.zip windows.zip
check "every file and folder is an entry" test "$(wc -l <native.list)" -eq 7
# A file larger than a piece (4 MB) is deflated in pieces on every core: both builds cut it
# alike and index its pieces alike, the archive reads back whole with Python's zipfile and with
# unzip, which pass over the index, and so does the installer's payload that holds it in
# "app.zip", itself compressed in pieces for a stub that does not read it in place.
mkdir large
printf 'client' >large/client.exe
seq 1 5000000 >large/numbers.txt
native zip large native-large.zip
windows zip large windows-large.zip
check "both builds cut a large file into the same pieces" cmp -s native-large.zip windows-large.zip
check "the large file reads back" read_archive native-large.zip large >/dev/null
check "unzip reads it back too" unzip -qq -t -P "$PASSWORD" native-large.zip
# The extra fields of an entry's central directory header, as Python's zipfile reads them: their
# ids, in order.
extra_ids() {
  python3 - "$1" "$2" <<'PYTHON'
import struct, sys, zipfile
extra = zipfile.ZipFile(sys.argv[1]).getinfo(sys.argv[2]).extra
at = 0
while at + 4 <= len(extra):
    field, length = struct.unpack_from("<HH", extra, at)
    print("%04x" % field)
    at += 4 + length
PYTHON
}
check "the large file carries its piece index" test "$(extra_ids native-large.zip numbers.txt)" = 6950
check "a file of one piece carries none" test -z "$(extra_ids native-large.zip client.exe)"
grep -v '^source=\|^config=' "$ROOT/samples/config.txt" >large.txt
for tool in native windows; do
  $tool build --config large.txt --client large --stub "$BIN/resource_target.exe" \
    --no-uninstaller --no-updater -o "large.$tool.exe"
done
check "both pack it into the same installer" cmp -s large.native.exe large.windows.exe
native inspect large.windows.exe >large.inspected
check "whose payload reads back" grep -q '^  app.zip [0-9]*$' large.inspected
mkdir empty-folder
native zip empty-folder n-empty.zip
check "native refuses an empty folder" test $? -eq 1 -a ! -e n-empty.zip
windows zip empty-folder w-empty.zip
check "windows refuses an empty folder" test $? -eq 1 -a ! -e w-empty.zip

# Folders holding what cannot be packed: each command that walks one (zip, list, build's client
# folder in both modes and its skin folder) refuses in both builds with the same line, naming the
# entry below the folder, and writes nothing; what a link points to is never read.
refusal_commands() {
  local tool=$1
  "$tool" zip refused r.zip
  "$tool" list refused http://127.0.0.1/client r.xml
  "$tool" build --config build.txt --client refused --stub "$BIN/setup.exe" -o r.exe
  "$tool" build --config build.txt --client refused --stub "$BIN/setup.exe" -o r.exe --download
  "$tool" build --config build.txt --client client --skin refused --stub "$BIN/setup.exe" -o r.exe
}
native_line() { "$NATIVE" "$@" 2>>native.lines; }
windows_line() { "$WINE" "$WINDOWS" "$@" 2>>windows.lines; }
refusal_case() {
  local what=$1 shown=$2
  shift 2
  rm -rf refused native.lines windows.lines windows.setupkit
  mkdir refused
  printf 'client' >refused/client.exe
  "$@"
  refusal_commands native_line
  refusal_commands windows_line
  check "native refuses $what in every walk" \
    test "$(grep -cF "setupkit: refused/$shown cannot be packed: " native.lines)" -eq 5
  # Wine may add notes of its own ("wine: ..."); a difference in setupkit's lines is shown.
  tr -d '\r' <windows.lines | grep -v '^wine: ' >windows.setupkit || true
  cmp -s native.lines windows.setupkit || diff native.lines windows.setupkit | head -20
  check "windows says the same of $what" cmp -s native.lines windows.setupkit
  check "neither writes anything for $what" test ! -e r.zip -a ! -e r.xml -a ! -e r.exe
}
cp "$ROOT/samples/config.txt" build.txt
sed -i 's|^source=.*|source=http://127.0.0.1/cross/app;|; s|^config=.*|config=http://127.0.0.1/cross/update.xml;|' build.txt
deep=$(printf 'd/%.0s' $(seq 65))
refusal_case "a link to /etc" etc ln -s /etc refused/etc
refusal_case "a tree too deep" "${deep}x.txt" \
  sh -c "mkdir -p refused/$deep && printf x >refused/${deep}x.txt"
check "the windows line tells why" grep -q 'it lies more than 64 folders deep' windows.lines
# Wine passes these names on as they are, or with U+FFFD for bytes that are no UTF-8.
refusal_case "a colon" 'a:b.txt' touch refused/a:b.txt
refusal_case "a backslash" 'back\slash' touch 'refused/back\slash'
refusal_case "a trailing dot" 'notes.' touch refused/notes.
refusal_case "a device name" 'nul.txt' touch refused/nul.txt
refusal_case "bytes that are no UTF-8" $'bad\xEF\xBF\xBD' touch $'refused/bad\xFF'
refusal_case "U+FFFD" $'odd\xEF\xBF\xBD' touch $'refused/odd\xEF\xBF\xBD'
refusal_case "the installer's journal" install.journal touch refused/install.journal
refusal_case "a staging name" 'client.exe.new~' touch 'refused/client.exe.new~'
# Windows takes names that differ only in case for one, by its own tables past ASCII; Wine lists
# both names of such a folder on Linux, as a copy from there would bring them.
refusal_case "files whose names differ in case" a.txt touch refused/A.txt refused/a.txt
refusal_case "folders whose names differ in case" sub mkdir refused/Sub refused/sub
refusal_case "names that differ in case past ASCII" ä.txt touch refused/Ä.txt refused/ä.txt
# A character whose upper case lowers to another one (the final sigma, the micro sign, the
# dotless i) stays apart from that upper case in both builds.
mkdir apart
touch apart/Σ apart/ς apart/µ apart/Μ apart/ı apart/I
native zip apart apart.n.zip
windows zip apart apart.w.zip
check "both pack names Windows keeps apart alike" cmp -s apart.n.zip apart.w.zip
# Wine shows a link to a file as the file itself, so only the native build can tell it.
rm -rf refused native.lines
mkdir refused
printf 'client' >refused/client.exe
ln -s /etc/passwd refused/passwd
refusal_commands native_line
check "native refuses a link to a file in every walk" \
  test "$(grep -c '^setupkit: refused/passwd cannot be packed: it is a link' native.lines)" -eq 5

# Update lists: the same folder makes the same list in both builds, in both stored forms, and
# each build shows the other's list alike.
for form in plain --packed; do
  option=$([ "$form" = --packed ] && echo --packed)
  native list client http://127.0.0.1/client "update.$form.n" --version 2.0.1.5 $option
  windows list client http://127.0.0.1/client "update.$form.w" --version 2.0.1.5 $option
  check "both make the same $form update list" cmp -s "update.$form.n" "update.$form.w"
  native show "update.$form.w" >"update.$form.shown.n"
  windows show "update.$form.n" >"update.$form.shown.w"
  check "both show the $form update list alike" cmp -s "update.$form.shown.n" "update.$form.shown.w"
done
check "the list names the three non-empty files" \
  test "$(grep -c '^<item action="0" file=' update.plain.shown.n)" -eq 3
# Patches from an earlier version: both builds make the same list and the same patch bytes.
mkdir -p earlier later n-site w-site
cp -r client/skin earlier/ && cp update.plain.n earlier/update.xml
cp -r client/skin later/ && printf 'changed' | dd of=later/skin/back.png bs=1 seek=100000 conv=notrunc status=none
native list later http://127.0.0.1/client n-site/update.xml --previous earlier
windows list later http://127.0.0.1/client w-site/update.xml --previous earlier
check "both make the same list and patches" diff -r n-site w-site
check "the changed file has a patch" test "$(ls n-site/skin | grep -c '\.patch$')" -eq 1
native list empty-folder http://127.0.0.1/ n-empty.xml
check "native refuses to list an empty folder" test $? -eq 1 -a ! -e n-empty.xml
windows list empty-folder http://127.0.0.1/ w-empty.xml
check "windows refuses to list an empty folder" test $? -eq 1 -a ! -e w-empty.xml

# Signed lists: a key made by either build signs the same list into the same bytes in both
# (Ed25519 signs deterministically), each build verifies and shows the other's, and both refuse
# a tampered list, another key, and a keygen over an existing key.
native keygen n.key n.pub >/dev/null
windows keygen w.key w.pub >/dev/null
check "native keygen writes a 64-byte secret key only its owner reads" \
  test "$(stat -c %s n.key)" -eq 64 -a "$(stat -c %a n.key)" = 600 -a "$(stat -c %s n.pub)" -eq 32
check "windows keygen writes a 64-byte secret and a 32-byte public key" \
  test "$(stat -c %s w.key)" -eq 64 -a "$(stat -c %s w.pub)" -eq 32
for key in n w; do
  native list client http://127.0.0.1/client "signed.$key.n" --version 2.0.1.5 --sign-key "$key.key"
  windows list client http://127.0.0.1/client "signed.$key.w" --version 2.0.1.5 --sign-key "$key.key"
  check "both make the same list with the $key key" cmp -s "signed.$key.n" "signed.$key.w"
  check "both sign it alike with the $key key" cmp -s "signed.$key.n.sig" "signed.$key.w.sig"
  check "the signature is 64 bytes" test "$(stat -c %s "signed.$key.n.sig")" -eq 64
  native verify "signed.$key.w" "signed.$key.w.sig" "$key.pub" >/dev/null
  check "native verifies the windows list signed with the $key key" test $? -eq 0
  windows verify "signed.$key.n" "signed.$key.n.sig" "$key.pub" >/dev/null
  check "windows verifies the native list signed with the $key key" test $? -eq 0
  native show "signed.$key.w" --public-key "$key.pub" >"signed.$key.shown.n"
  windows show "signed.$key.n" --public-key "$key.pub" >"signed.$key.shown.w"
  check "both show the signed list alike" \
    cmp -s <(sed 's/signed\.[nw]\.[nw]\.sig:/SIG:/' "signed.$key.shown.n") \
      <(sed 's/signed\.[nw]\.[nw]\.sig:/SIG:/' "signed.$key.shown.w")
done
check "the signed list carries a sha256 for each item" \
  test "$(grep -c ' sha256="[0-9A-F]\{64\}" ' signed.n.shown.n)" -eq 3
cp signed.n.n tampered.xml
printf 'x' >>tampered.xml
cp signed.n.n.sig tampered.xml.sig
native verify tampered.xml tampered.xml.sig n.pub
check "native refuses a tampered list" test $? -eq 1
windows verify tampered.xml tampered.xml.sig n.pub
check "windows refuses a tampered list" test $? -eq 1
native verify signed.n.n signed.n.n.sig w.pub
check "native refuses a list signed with another key" test $? -eq 1
windows verify signed.w.w signed.w.w.sig n.pub
check "windows refuses a list signed with another key" test $? -eq 1
cp w.key w.key.before
windows keygen w.key other.pub
check "windows keygen never replaces a key" test $? -eq 1 -a ! -e other.pub
check "... and leaves it as it was" cmp -s w.key w.key.before

# Installers: the same inputs make the same bytes in both builds and in every run, in archive and
# download mode, with the list signed and without a "source"; inspect prints the same for both.
grep -v '^source=\|^config=' build.txt >offline.txt
build_with() {
  local tool=$1 out=$2
  shift 2
  $tool build --config build.txt --client client --skin "$ROOT/samples/skin" \
    --theme "$ROOT/samples/theme.txt" --stub "$BIN/setup.exe" -o "$out" "$@"
}
for mode in archive download signed offline; do
  options=()
  [ "$mode" = download ] && options=(--download)
  [ "$mode" = signed ] && options=(--sign-key n.key)
  if [ "$mode" = offline ]; then
    native build --config offline.txt --client client --stub "$BIN/setup.exe" -o "$mode.n.exe"
    native build --config offline.txt --client client --stub "$BIN/setup.exe" -o "$mode.again.exe"
    windows build --config offline.txt --client client --stub "$BIN/setup.exe" -o "$mode.w.exe"
  else
    build_with native "$mode.n.exe" "${options[@]}"
    build_with native "$mode.again.exe" "${options[@]}"
    build_with windows "$mode.w.exe" "${options[@]}"
  fi
  check "the $mode installer is the same in both builds" cmp -s "$mode.n.exe" "$mode.w.exe"
  check "the $mode installer is the same in every run" cmp -s "$mode.n.exe" "$mode.again.exe"
  native inspect "$mode.w.exe" >"$mode.inspected.n"
  windows inspect "$mode.n.exe" >"$mode.inspected.w"
  check "both inspect the $mode installer alike" cmp -s "$mode.inspected.n" "$mode.inspected.w"
done
check "inspect tells the mode" grep -q '^mode: download$' download.inspected.n
check "inspect tells the stub's size" grep -q "^stub: $(stat -c %s "$BIN/setup.exe") bytes$" archive.inspected.n

# The published folders of both builds are the same.
build_with native published.n.exe --publish published.n
build_with windows published.w.exe --publish published.w
check "both publish the same folder" diff -r published.n published.w
check "the folder holds the list and the files below source" \
  test -f published.n/update.xml -a -f published.n/app/client.exe -a -f published.n/app/unins000.exe
# Names holding what URLs reserve: both builds list them under the same escaped URLs and publish
# them by their own names.
mkdir -p 'reserved/plugins/a b'
printf 'client' >reserved/client.exe
for name in '#1' '100%25' 'c++' 'a&b;c' 'é'; do printf '%s' "$name" >"reserved/plugins/a b/$name.dll"; done
native list reserved http://127.0.0.1/client reserved.n
windows list reserved http://127.0.0.1/client reserved.w
check "both list names URLs reserve alike" cmp -s reserved.n reserved.w
for tool in native windows; do
  $tool build --config build.txt --client reserved --stub "$BIN/setup.exe" -o "reserved.$tool.exe" \
    --publish "reserved-published.$tool"
done
check "both publish them alike" diff -r reserved-published.native reserved-published.windows
check "the published folder holds them by their names" \
  cmp -s 'reserved/plugins/a b/100%25.dll' 'reserved-published.native/app/plugins/a b/100%25.dll'
build_with native signed-published.n.exe --publish signed-published.n --sign-key w.key
build_with windows signed-published.w.exe --publish signed-published.w --sign-key w.key
check "both publish the same signed folder" diff -r signed-published.n signed-published.w
native verify signed-published.n/update.xml signed-published.n/update.xml.sig w.pub >/dev/null
check "the published list's signature beside it verifies" test $? -eq 0

# stamp writes the same bytes in both builds into every stub, also one that carries a record
# already, for every record, up to the largest one.
python3 - >largest.txt <<'PYTHON'
widths = {"app": 127, "name": 127, "company": 127, "publisher": 127, "version": 127,
          "detect": 255, "action": 255}
keys = ["app", "name", "company", "publisher", "version", "style", "detect", "action",
        "homepage", "notify", "protocol", "source", "config", "source2", "config2"]
for key in keys:
    value = "#FFFFFFFF" if key == "style" else "\u5ba2" * widths.get(key, 511)
    print(f"{key}={value};")
PYTHON
native config largest.txt largest.rec --packed
native config vendor.txt small.rec --packed
native config vendor.txt plain.rec
cp "$BIN/setup.exe" stamped-stub.exe
native stamp stamped-stub.exe small.rec
for stub in "$BIN/setup.exe" stamped-stub.exe "$BIN/unins000.exe" "$BIN/update.exe" "$BIN/resource_target.exe"; do
  for record in small.rec plain.rec largest.rec; do
    cp "$stub" by-native.exe
    cp "$stub" by-windows.exe
    native stamp by-native.exe "$record"
    windows stamp by-windows.exe "$record"
    check "both stamp $record into $(basename "$stub") alike" cmp -s by-native.exe by-windows.exe
  done
done
native show by-native.exe >shown-largest.n
native show largest.rec >shown-largest.rec
check "the largest record reads back from the stamped program" cmp -s shown-largest.n shown-largest.rec

# Signing: a throwaway CA and a code-signing certificate made here; the signed installer and the
# programs it installs verify against that CA, and with SOURCE_DATE_EPOCH two signed builds are
# the same. The windows build finds no osslsigncode.exe on its path and refuses with one line.
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Cross CA" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=Example Vendor/O=Example" 2>/dev/null
printf 'extendedKeyUsage=codeSigning\nkeyUsage=digitalSignature\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile signer.ext -out signer.pem 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 \
  -passout pass:cross-secret
sed "s/^app=.*/app=crosscheck$$;/; s/^company=.*/company=CrossCheck;/" build.txt >signed.txt
sign_with() {
  local tool=$1 out=$2
  shift 2
  SETUPKIT_SIGN_PASSWORD=cross-secret SOURCE_DATE_EPOCH=1700000000 $tool build --config signed.txt \
    --client client --stub "$BIN/setup.exe" --sign-pkcs12 signer.p12 -o "$out" "$@"
}
sign_with native signed.exe
sign_with native signed.again.exe
check "the signed installer verifies" osslsigncode verify -CAfile ca.pem -in signed.exe >/dev/null
check "two signed builds are the same" cmp -s signed.exe signed.again.exe
native inspect signed.exe >signed.inspected
check "inspect names the installer's signer" grep -q '^signature: signed by Example Vendor$' signed.inspected
check "inspect names the programs' signer" \
  test "$(grep -c '^  u.*\.exe signed by Example Vendor$' signed.inspected)" -eq 2
sign_with native bad-url.exe --timestamp-url ftp://tsa.example/
check "a time-stamping URL that is none is refused" test $? -eq 1 -a ! -e bad-url.exe
SETUPKIT_SIGN_PASSWORD=not-the-secret native build --config signed.txt --client client \
  --stub "$BIN/setup.exe" --sign-pkcs12 signer.p12 -o wrong-password.exe
check "a wrong signing password is refused" test $? -eq 1 -a ! -e wrong-password.exe
check "with one line saying so" test "$(grep -c \
  '^setupkit: osslsigncode could not sign .*: the password in SETUPKIT_SIGN_PASSWORD is wrong for the signing key signer.p12$' \
  native.err)" -eq 1
sign_with windows windows-signed.exe
check "the windows build without osslsigncode.exe refuses" test $? -eq 1 -a ! -e windows-signed.exe
check "with one line" test "$(grep -c 'needs osslsigncode, which is not on the path' windows.err)" -eq 1
# Wine's drive Z: is the root of the file system.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
(cd "$BIN" && "$WINE" install_headless.exe "$(windows_path "$work/signed.exe")" \
  "$(windows_path "$work/installed")") >/dev/null 2>&1
check "the signed installer installs" cmp -s installed/client.exe client/client.exe
for program in unins000.exe update.exe; do
  check "the installed $program verifies" osslsigncode verify -CAfile ca.pem -in "installed/$program" >/dev/null
done
"$WINE" "installed/unins000.exe" silent >/dev/null 2>&1
for _ in $(seq 100); do [ -e installed ] || break; sleep 0.2; done
check "the signed install uninstalls" test ! -e installed/client.exe

native pack only-one-argument
check "native usage error exits 2" test $? -eq 2
windows pack only-one-argument
check "windows usage error exits 2" test $? -eq 2

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
