#!/bin/sh
# The Ansible role run by ansible-playbook from the example playbook, against two "sites" on
# this machine (local connection): each site is a private network namespace of its own
# with its own virtual cameras, reached through the role's command prefix. Scan brings both
# reports home; set readdresses each site from its plan and reports a change, the same run
# again reports none; an upgrade where one camera keeps its old version fails that site
# with the camera named while the other site succeeds. ansible-lint checks the role.
# usage: run-role-test.sh ORVEXCTL CAMSIM SOURCE_DIR (as root, in a private namespace)
set -eu
ctl=$1
camsim=$2
src=$3
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export ORVEX_TIME_SCALE=20 ANSIBLE_LOCAL_TEMP="$work/ansible-tmp" ANSIBLE_NOCOLOR=1
export ANSIBLE_RETRY_FILES_ENABLED=0 HOME="$work"

# Two sites, each camera with its web side; at site b one camera keeps its old firmware.
mac=0
for site in a b; do
  faults="faults=keepversion"
  [ "$site" = a ] && faults="name=Yard"
  cat >"$work/$site.txt" <<CAMERAS
[camera]
ip = 127.0.0.11
port = 81
mac = 02:4f:52:0${mac}:00:01
password = Vault-S3cret
[camera]
ip = 127.0.0.12
port = 82
mac = 02:4f:52:0${mac}:00:02
password = Vault-S3cret
${faults%%=*} = ${faults#*=}
CAMERAS
  unshare --net sh -c 'ip link set lo up && exec "$@"' site "$camsim" --file "$work/$site.txt" \
    --latest 1.7.16.3 --quiet >"$work/camsim-$site.log" 2>&1 &
  pids="$pids $!"
  eval "pid_$site=$!"
  mac=$((mac + 1))
  mkdir -p "$work/inventory/host_vars/site-$site"
  # An object, as scan writes it: Ansible reads the files of host_vars as variables too.
  cat >"$work/inventory/host_vars/site-$site/cameras.json" <<PLAN
{"cameras": [{"mac": "02:4F:52:0$((mac - 1)):00:01", "ip": "127.0.0.21", "name": "Gate $site"},
             {"mac": "02:4F:52:0$((mac - 1)):00:02", "ip": "127.0.0.22"}]}
PLAN
done
version=$("$ctl" --version | awk '{print $2}')
# shellcheck disable=SC2154 # pid_a and pid_b are set by eval above
cat >"$work/inventory/hosts.yml" <<INVENTORY
sites:
  hosts:
    site-a:
      orvex_command_prefix: [nsenter, "--net=/proc/$pid_a/ns/net"]
    site-b:
      orvex_command_prefix: [nsenter, "--net=/proc/$pid_b/ns/net"]
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    orvex_ctl: $ctl
    orvex_version: "$version"
    orvex_bind: [127.0.0.1]
    orvex_scan_seconds: 2
    orvex_verify_seconds: 10
    orvex_password: Vault-S3cret
    orvex_environment: {ORVEX_TIME_SCALE: "20", ORVEX_FIRMWARE_HOST: 127.0.0.80}
    orvex_reports_dir: $work/reports
INVENTORY
sleep 1

play() {  # play ACTION: runs the example playbook; its output in $work/ACTION.out
  status=0
  ansible-playbook -i "$work/inventory" "$src/contrib/ansible/playbook.yml" -e "orvex_action=$1" \
    >"$work/$1.out" 2>&1 || status=$?
  grep -q "Vault-S3cret" "$work/$1.out" && fail "the password shows in the $1 output"
  return "$status"
}
recap() {  # recap ACTION HOST: the host's line of the play recap
  grep -E "^$2 +:" "$work/$1.out" || fail "no recap for $2 in $1: $(cat "$work/$1.out")"
}
report() {  # report HOST ACTION: the newest report brought home
  ls -t "$work/reports/$1-$2-"*.json 2>/dev/null | head -n 1
}
count() {  # count FILE PYTHON-EXPRESSION-OVER-d
  python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($2)" "$1"
}

play scan || fail "scan: $(cat "$work/scan.out")"
for host in site-a site-b; do
  recap scan $host | grep -q "changed=0 .*failed=0" || fail "scan recap: $(recap scan $host)"
  [ "$(count "$(report $host scan)" "len(d['cameras'])")" = 2 ] || fail "$host scan report"
done

set_run() {  # set_run NAME CHANGED VERDICT: a set from the plans, each site as expected
  play set || fail "$1: $(cat "$work/set.out")"
  for host in site-a site-b; do
    recap set $host | grep -q "changed=$2 .*failed=0" || fail "$1 recap: $(recap set $host)"
    [ "$(count "$(report $host set)" "sorted(c['verification'] for c in d)")" = "['$3', '$3']" ] ||
      fail "$host $1 report"
  done
}
set_run set 1 verified
grep -q "2 camera(s) changed: 02:4F:52:00:00:01, 02:4F:52:00:00:02" "$work/set.out" || fail "set message"
sleep 1  # two distinct report names
set_run "second set" 0 unchanged

status=0
play upgrade || status=$?
[ "$status" = 2 ] || fail "upgrade ended $status: $(cat "$work/upgrade.out")"
recap upgrade site-a | grep -q "changed=1 .*failed=0" || fail "upgrade recap: $(recap upgrade site-a)"
recap upgrade site-b | grep -q "failed=1" || fail "upgrade recap: $(recap upgrade site-b)"
grep -q "1 camera(s) failed or not verified: 127.0.0.22" "$work/upgrade.out" || fail "upgrade message"
[ "$(count "$(report site-b upgrade)" "[r['verdict'] for r in d['results'] if r['host'] == '127.0.0.21']")" = "['verified']" ] ||
  fail "site-b's other camera"

if command -v ansible-lint >/dev/null; then
  (cd "$src/contrib/ansible" && ansible-lint roles/orvex playbook.yml) >"$work/lint.out" 2>&1 ||
    fail "ansible-lint: $(cat "$work/lint.out")"
fi
echo "the role passed at both sites"
