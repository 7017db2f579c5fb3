#!/bin/sh
# The Ansible role run by ansible-playbook from the example playbook against four "sites"
# on this machine (local connection), each a private network namespace of its own with its
# own virtual cameras, reached through the role's command prefix. Every camera logs what
# it is asked (orvex-camsim --log), so "nothing was sent" is read from the cameras' side.
#   scan, argument errors, an empty password, check and diff mode, set twice, an upgrade
#   rollout that a failing site stops, upgrade twice, Ctrl-C mid-run, the summary, the
#   password at -vvvv; then the test's own teeth: copies of the role without no_log and
#   without its clean-up must be caught; ansible-lint and a collection build.
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
secret=Vault-S3cret
export ORVEX_TIME_SCALE=20 ANSIBLE_LOCAL_TEMP="$work/ansible-tmp" ANSIBLE_NOCOLOR=1
export ANSIBLE_RETRY_FILES_ENABLED=0 HOME="$work/home" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$TMPDIR"

# Four sites: a and b have two cameras (b's second keeps its old firmware), c one that is
# slow to show new settings, d one.
mac=0
for site in a b c d; do
  second=""
  [ "$site" = a ] && second="name = Yard"
  [ "$site" = b ] && second="faults = keepversion"
  {
    printf '[camera]\nip = 127.0.0.11\nport = 81\nmac = 02:4f:52:0%s:00:01\npassword = %s\n' "$mac" "$secret"
    [ "$site" = c ] && printf 'setdelay = 60000\n'
    if [ "$site" = a ] || [ "$site" = b ]; then
      printf '[camera]\nip = 127.0.0.12\nport = 82\nmac = 02:4f:52:0%s:00:02\npassword = %s\n%s\n' \
        "$mac" "$secret" "$second"
    fi
  } >"$work/$site.txt"
  unshare --net sh -c 'ip link set lo up && exec "$@"' site "$camsim" --file "$work/$site.txt" \
    --latest 1.7.16.3 --quiet --log "$work/log-$site.txt" >"$work/camsim-$site.log" 2>&1 &
  pids="$pids $!"
  eval "pid_$site=$!"
  mkdir -p "$work/inventory/host_vars/site-$site"
  # An object, as scan writes it: Ansible reads the files of host_vars as variables too.
  if [ "$site" = a ] || [ "$site" = b ]; then
    rows="{\"mac\": \"02:4F:52:0$mac:00:01\", \"ip\": \"127.0.0.21\", \"name\": \"Gate $site\"},
          {\"mac\": \"02:4F:52:0$mac:00:02\", \"ip\": \"127.0.0.22\"}"
  else
    rows="{\"mac\": \"02:4F:52:0$mac:00:01\", \"ip\": \"127.0.0.21\"}"
  fi
  printf '{"cameras": [%s]}\n' "$rows" >"$work/inventory/host_vars/site-$site/cameras.json"
  mac=$((mac + 1))
done
version=$("$ctl" --version | awk '{print $2}')
# shellcheck disable=SC2154 # pid_a ... pid_d are set by eval above
cat >"$work/inventory/hosts.yml" <<INVENTORY
sites:
  hosts:
    site-a:
      orvex_command_prefix: [nsenter, "--net=/proc/$pid_a/ns/net"]
    site-b:
      orvex_command_prefix: [nsenter, "--net=/proc/$pid_b/ns/net"]
    site-c:
      orvex_command_prefix: [nsenter, "--net=/proc/$pid_c/ns/net"]
    site-d:
      orvex_command_prefix: [nsenter, "--net=/proc/$pid_d/ns/net"]
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    orvex_ctl: $ctl
    orvex_version: "$version"
    orvex_bind: [127.0.0.1]
    orvex_scan_seconds: 2
    orvex_verify_seconds: 10
    orvex_password: $secret
    orvex_environment: {ORVEX_TIME_SCALE: "20", ORVEX_FIRMWARE_HOST: 127.0.0.80}
    orvex_reports_dir: $work/reports
INVENTORY
sleep 1

playbook=$src/contrib/ansible/playbook.yml
play() {  # play NAME [ansible-playbook arguments]: output in $work/NAME.out, its status
  name=$1
  shift
  status=0
  ansible-playbook -i "$work/inventory" "$playbook" "$@" >"$work/$name.out" 2>&1 || status=$?
  if grep -q "$secret" "$work/$name.out"; then
    [ "${teeth:-}" = "no_log" ] && return 99
    fail "the password shows in the $name output"
  fi
  return "$status"
}
recap() {  # recap NAME HOST: the host's line of the play recap ("" when it did not run)
  grep -E "^$2 +:" "$work/$1.out" || true
}
expect_recap() {  # expect_recap NAME HOST PATTERN
  recap "$1" "$2" | grep -q "$3" || fail "$1: $2 recap '$(recap "$1" "$2")' lacks '$3': $(cat "$work/$1.out")"
}
asked() {  # asked SITE PATTERN: the cameras of SITE were asked something matching PATTERN
  grep -q "$2" "$work/log-$1.txt" 2>/dev/null
}
mark_logs() { for s in a b c d; do : >"$work/log-$s.txt"; done; }
run_of() {  # run_of NAME: the run folder of that play (its id is in the summary)
  id=$(sed -n 's/.*"run \([0-9TZ]*\): .*/\1/p' "$work/$1.out" | head -n 1)
  [ -n "$id" ] || fail "$1: no run summary in the output: $(cat "$work/$1.out")"
  echo "$work/reports/$id"
}
py() {  # py FILE PYTHON-EXPRESSION-OVER-d
  python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($2)" "$1"
}
password_files() {  # files under the temporary folders that hold the password
  grep -rl "$secret" "$TMPDIR" "$HOME" "$work/ansible-tmp" 2>/dev/null || true
}

# A scan: every site's report home in the run's folder, one summary, one time for the run.
play scan || fail "scan: $(cat "$work/scan.out")"
run=$(run_of scan)
for s in a b c d; do
  expect_recap scan site-$s "changed=0 .*failed=0"
  [ -f "$run/site-$s-scan.json" ] || fail "no scan report of site-$s in $run"
done
[ "$(py "$run/site-a-scan.json" "len(d['cameras'])")" = 2 ] || fail "site-a scan report"
[ "$(py "$run/summary.json" "sorted(d['sites'])")" = "['site-a', 'site-b', 'site-c', 'site-d']" ] ||
  fail "summary: $(cat "$run/summary.json")"
/usr/bin/python3 - "$src/packaging/schema/scan.schema.json" "$run"/site-*-scan.json <<'PYTHON' || fail "scan reports against their schema"
import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
for path in sys.argv[2:]:
    jsonschema.validate(json.load(open(path)), schema)
PYTHON
cp "$run/site-a-scan.json" "$work/site-a-before.json"
cp "$run/site-c-scan.json" "$work/site-c-before.json"

# Inputs are checked before anything runs, naming the variable; a string is one address.
play bad-action -e orvex_action=bogus --limit site-a && fail "orvex_action=bogus was accepted"
grep -q "orvex_action" "$work/bad-action.out" || fail "bad action: $(cat "$work/bad-action.out")"
play bad-mode -e orvex_action=upgrade -e orvex_upgrade_mode=web-ui --limit site-a &&
  fail "orvex_upgrade_mode=web-ui was accepted"
grep -q "orvex_upgrade_mode" "$work/bad-mode.out" || fail "bad mode: $(cat "$work/bad-mode.out")"
play bad-version -e '{"orvex_version": 1.0}' --limit site-a && fail "orvex_version 1.0 was accepted"
grep -q "is installed, not 1.0 (orvex_version)" "$work/bad-version.out" ||
  fail "bad version: $(cat "$work/bad-version.out")"
play one-bind -e '{"orvex_bind": "127.0.0.1"}' --limit site-a || fail "a string orvex_bind: $(cat "$work/one-bind.out")"
[ "$(py "$(run_of one-bind)/site-a-scan.json" "[a['adapter_ip'] for a in d['adapters']]")" = "['127.0.0.1']" ] ||
  fail "orvex_bind as a string"

# A scan through an adapter this machine does not have fails the site, saying why.
play bad-adapter -e '{"orvex_bind": ["192.0.2.99"]}' --limit site-a && fail "a scan through no adapter passed"
grep -q "every adapter failed: 192.0.2.99: Cannot assign requested address" "$work/bad-adapter.out" || fail "bad adapter: $(cat "$work/bad-adapter.out")"

# An empty password stops the site before any camera hears anything; a scan needs none.
mark_logs
play no-password -e orvex_action=set -e orvex_password= --limit site-a && fail "an empty password was accepted"
grep -q "needs the cameras' password: set orvex_password" "$work/no-password.out" ||
  fail "empty password message: $(cat "$work/no-password.out")"
asked a . && fail "a camera was contacted without a password: $(cat "$work/log-a.txt")"
play scan-no-password -e orvex_password= --limit site-a || fail "a scan without a password"

# Check mode sends nothing and says what would change; diff mode shows it per camera.
mark_logs
play check-set -e orvex_action=set --check --diff || fail "set --check: $(cat "$work/check-set.out")"
for s in a b c d; do expect_recap check-set site-$s "changed=1 .*failed=0"; done
grep -q "^+ip: 127.0.0.21" "$work/check-set.out" || fail "set --diff: $(cat "$work/check-set.out")"
grep -q "^+name: Gate a" "$work/check-set.out" || fail "set --diff names"
play check-upgrade -e orvex_action=upgrade --check --diff || fail "upgrade --check: $(cat "$work/check-upgrade.out")"
for s in a b c d; do expect_recap check-upgrade site-$s "changed=1 .*failed=0"; done
grep -q "^+version: 1.7.16.3" "$work/check-upgrade.out" || fail "upgrade --diff: $(cat "$work/check-upgrade.out")"
for s in a b c d; do
  asked $s "^set \|auto_download\|upgrade_" && fail "check mode reached site-$s: $(cat "$work/log-$s.txt")"
done

# set, at the highest verbosity (the password must not show), then again: nothing to do.
play set -vvvv -e orvex_action=set || fail "set: $(cat "$work/set.out")"
for s in a b c d; do expect_recap set site-$s "changed=1 .*failed=0"; done
[ "$(py "$(run_of set)/site-a-set.json" "sorted(c['verification'] for c in d['results'])")" = "['verified', 'verified']" ] ||
  fail "site-a set report"
play set-again -e orvex_action=set || fail "second set: $(cat "$work/set-again.out")"
for s in a b c d; do expect_recap set-again site-$s "changed=0 .*failed=0"; done
[ -z "$(find "$TMPDIR" -name '*.orvex')" ] || fail "private folders left behind: $(find "$TMPDIR" -name '*.orvex')"

# An upgrade rolled out with serial [1, 2] and max_fail_percentage 0: the canary a, then
# b and c together; b fails (its camera keeps its old version), so d is never upgraded.
mark_logs
status=0
play upgrade -e orvex_action=upgrade || status=$?
[ "$status" = 2 ] || fail "upgrade ended $status: $(cat "$work/upgrade.out")"
expect_recap upgrade site-a "changed=1 .*failed=0"
expect_recap upgrade site-b "failed=1"
expect_recap upgrade site-c "changed=1 .*failed=0"
[ -z "$(recap upgrade site-d)" ] || fail "site-d ran after site-b failed: $(recap upgrade site-d)"
asked d "auto_download" && fail "site-d's camera was upgraded after site-b failed"
grep -q "1 camera(s) failed or not verified: 127.0.0.22 (not verified" "$work/upgrade.out" ||
  fail "upgrade message: $(cat "$work/upgrade.out")"
run=$(run_of upgrade)
[ "$(py "$run/summary.json" "[f['camera'] for f in d['sites']['site-b']['failed']]")" = "['127.0.0.22']" ] ||
  fail "summary of the rollout: $(cat "$run/summary.json")"
[ "$(py "$run/summary.json" "sorted(d['sites'])")" = "['site-a', 'site-b', 'site-c']" ] || fail "summary sites"
grep -q "site-b upgrade: .*failed: 127.0.0.22 not verified" "$work/upgrade.out" || fail "summary table"
# The same upgrade again changes nothing.
play upgrade-again -e orvex_action=upgrade --limit site-a || fail "second upgrade: $(cat "$work/upgrade-again.out")"
expect_recap upgrade-again site-a "changed=0 .*failed=0"

# Restore site c from its first scan; Ctrl-C while its camera is still restarting leaves
# no file that holds the password anywhere.
mark_logs
ansible-playbook -i "$work/inventory" "$playbook" -e orvex_action=restore \
  -e "orvex_restore_from=$work/site-c-before.json" --limit site-c >"$work/interrupted.out" 2>&1 &
playing=$!
for _ in $(seq 100); do asked c "^set " && break; sleep 0.1; done
asked c "^set " || fail "the restore never reached site-c: $(cat "$work/interrupted.out")"
kill -INT "$playing"
wait "$playing" || true
sleep 3  # orvexctl ends its run by itself
[ -z "$(password_files)" ] || fail "files that hold the password after Ctrl-C: $(password_files)"
grep -q "$secret" "$work/interrupted.out" && fail "the password shows after Ctrl-C"

# A restore that runs to its end puts site a's first settings back.
play restore -e orvex_action=restore -e "orvex_restore_from=$work/site-a-before.json" --limit site-a ||
  fail "restore: $(cat "$work/restore.out")"
expect_recap restore site-a "changed=1 .*failed=0"

# The test's teeth: a role that shows the password or leaves its folder is caught.
mkdir -p "$work/teeth/roles"
cp -r "$src/contrib/ansible/roles/orvex" "$work/teeth/roles/orvex"
cp "$playbook" "$work/teeth/playbook.yml"
sed -i '/no_log:/d' "$work/teeth/roles/orvex/tasks/run.yml"
playbook=$work/teeth/playbook.yml
status=0
teeth=no_log play teeth-no-log -vvvv -e orvex_action=set --limit site-a || status=$?
[ "$status" = 99 ] || fail "the test did not see the password of a role without no_log (status $status)"
cp "$src/contrib/ansible/roles/orvex/tasks/run.yml" "$work/teeth/roles/orvex/tasks/run.yml"
python3 - "$work/teeth/roles/orvex/tasks/run.yml" <<'PYTHON'
import sys
path = sys.argv[1]
text = open(path).read()
start = text.index("- name: Remove the private folder")
end = text.index("- name: Make the run's report folder")
open(path, "w").write(text[:start] + text[end:])
PYTHON
play teeth-cleanup -e orvex_action=set --limit site-a || fail "teeth-cleanup: $(cat "$work/teeth-cleanup.out")"
[ -n "$(find "$TMPDIR" -name '*.orvex')" ] || fail "the test did not see the folder a role without clean-up leaves"

if command -v ansible-lint >/dev/null; then
  (cd "$src/contrib/ansible" && ansible-lint --offline roles/orvex playbook.yml) >"$work/lint.out" 2>&1 ||
    fail "ansible-lint: $(cat "$work/lint.out")"
fi
(cd "$work" && ansible-galaxy collection build "$src/contrib/ansible" >"$work/build.out" 2>&1) ||
  fail "collection build: $(cat "$work/build.out")"
tar tzf "$work/orvex-cameras-1.1.0.tar.gz" | grep -q "roles/orvex/meta/argument_specs.yml" || fail "collection contents"
echo "the role passed at four sites"
