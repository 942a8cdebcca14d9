#!/bin/sh
# The watch feeding a fleet's monitoring, with the real servers: quorvane
# --watch --metrics into a folder that node_exporter's textfile collector
# reads through a link (as the service lays it out), Prometheus scraping
# it every second with the shipped rules; then the gateway's MAC changes
# and the gateway alert has to go pending or firing.
#   prometheus-e2e.sh QUORVANE RULES WORK_DIR
# Runs inside a test namespace (tests/netns/run-in-netns.sh). Exit 77 means skipped.
set -u
bin=$1
rules=$2
work=$3
for tool in prometheus prometheus-node-exporter curl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (prometheus prometheus-node-exporter curl)"
        exit 77
    fi
done
if [ -z "${QV_NETNS:-}" ]; then
    echo "SKIP: no test namespace (${QV_NETNS_SKIP:-run through tests/netns/run-in-netns.sh})"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work/textfile" "$work/run" "$work/tsdb"
pids=""
cleanup() { for pid in $pids; do kill "$pid" 2>/dev/null; done; }
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for log in watch.err events.jsonl exporter.log prometheus.log; do
        echo "--- $log"; tail -20 "$work/$log"
    done
    exit 1
}
# Polls "$@" for up to 60 s.
until_true() {
    for _ in $(seq 1 300); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
query() { curl -sf --get "http://127.0.0.1:19090/api/v1/query" --data-urlencode "query=$1"; }

"$bin" --watch --json --state "$work/state.jsonl" --metrics "$work/run/quorvane.prom" \
    >"$work/events.jsonl" 2>"$work/watch.err" &
pids="$pids $!"
ln -s "$work/run/quorvane.prom" "$work/textfile/quorvane.prom"
prometheus-node-exporter --collector.disable-defaults --collector.textfile \
    --collector.textfile.directory="$work/textfile" --web.listen-address=127.0.0.1:19100 \
    >"$work/exporter.log" 2>&1 &
pids="$pids $!"
cat >"$work/prometheus.yml" <<CONFIG
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files: ["$rules"]
scrape_configs:
  - job_name: node
    static_configs: [{targets: ["127.0.0.1:19100"]}]
CONFIG
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address=127.0.0.1:19090 >"$work/prometheus.log" 2>&1 &
pids="$pids $!"

until_true test -s "$work/run/quorvane.prom" || fail "the watch wrote no metrics"
until_true sh -c "curl -sf http://127.0.0.1:19090/-/ready >/dev/null" || fail "Prometheus did not start"
scraped() { query 'quorvane_gateway_info{ip="10.213.1.2"}' | grep -q '"mac":"00:00:0C:AA:BB:02"'; }
until_true scraped || fail "Prometheus never saw the gateway through node_exporter"
query 'ALERTS{alertname="QuorvaneGatewayMacChanged"}' | grep -q '"alertstate"' && fail "the alert was up before any change"

ip neigh replace 10.213.1.2 lladdr 02:66:00:00:00:01 dev h0
alerting() {
    query 'ALERTS{alertname="QuorvaneGatewayMacChanged"}' | grep -Eq '"alertstate":"(pending|firing)"'
}
until_true alerting || fail "the gateway alert never went pending or firing"
grep -q '"event":"gateway-changed"' "$work/events.jsonl" || fail "no gateway-changed event on stdout"
ip neigh replace 10.213.1.2 lladdr 00:00:0c:aa:bb:02 dev h0
echo "PASS: a gateway's MAC change reached Prometheus' alert through node_exporter"
