#!/bin/sh
# Installs the built package, checks it as its users meet it, and purges it.
#   check-installed.sh DEB
set -eu
here=$(dirname "$(readlink -f "$0")")
deb=$(readlink -f "$1")
helper=/usr/libexec/quorvane/quorvane-arping
fail() { echo "check-installed: $*" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
files=$(dpkg -L quorvane)

getcap "$helper" | grep -q 'cap_net_raw=p' || fail "$helper has no cap_net_raw+p"
for f in $files; do
    [ -f "$f" ] || continue
    [ "$f" = "$helper" ] && continue
    [ -z "$(getcap "$f")" ] || fail "$f has a capability"
    [ -z "$(find "$f" -perm /6000)" ] || fail "$f is setuid or setgid"
done
desktop-file-validate /usr/share/applications/org.quorvane.Quorvane.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml
man -l /usr/share/man/man1/quorvane.1.gz >/dev/null
systemd-analyze verify /lib/systemd/system/quorvane-watch.service
! systemctl is-enabled quorvane-watch.service >/dev/null 2>&1 || fail "quorvane-watch.service is enabled"
promtool check rules /usr/share/quorvane/quorvane.rules.yml >/dev/null

nobody="setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all"
[ "$($nobody quorvane --vendor 00:00:0c:12:34:56)" = "Cisco Systems, Inc" ] || fail "--vendor as nobody"
# In a test namespace: a wrong stale entry for the peer, so only the helper's
# real request can give its MAC in time.
"$here/../netns/run-in-netns.sh" sh -c "
    ip neigh replace 10.213.1.2 lladdr 02:00:00:00:00:99 nud stale dev h0
    out=\$($nobody quorvane --arp 10.213.1.2)
    [ \"\$out\" = \"\$(printf '00:00:0C:AA:BB:02\tCisco Systems, Inc')\" ] || { echo \"--arp as nobody: \$out\" >&2; exit 1; }
" || fail "--arp through the installed helper"

# An admin's choice survives a reconfigure: the helper for one group, no capability.
trap 'dpkg-statoverride --remove "$helper" 2>/dev/null || true' EXIT
dpkg-statoverride --update --add root adm 0750 "$helper"
setcap -r "$helper" 2>/dev/null || true  # chown by the override already cleared it
dpkg-reconfigure quorvane >/dev/null 2>&1 || dpkg --configure --force-all quorvane >/dev/null
[ -z "$(getcap "$helper")" ] || fail "postinst set the capability against dpkg-statoverride"
[ "$(stat -c %a:%G "$helper")" = "750:adm" ] || fail "postinst changed the overridden mode"
dpkg-statoverride --remove "$helper"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q quorvane >/dev/null
for f in $files; do
    [ -d "$f" ] && continue
    [ ! -e "$f" ] || fail "$f is left after purge"
done
[ ! -e /usr/libexec/quorvane ] || fail "/usr/libexec/quorvane is left after purge"
echo "check-installed: the package installs, works as nobody and purges cleanly"
