#!/usr/bin/env bash
# The rules never know they are recorded: no file of core/ but the recorder's
# own and those that stand on it includes the recorder (core/recording.h, the
# file; core/round_driver.h, the round driven, recorded and played back) or
# names one of its operations or records. The names are read from those two
# headers: a function, a record or a constant one of them declares.
#
# Knowing the recorder is allowed to:
#   core/recording.*  core/round_driver.*   the recorder itself
#   core/round_check.*                      a recording played without a window
#   core/best_catches.*                     keeps the best round's recording
# Every other file of core/ is a rules file: game, input, round, simulation,
# contacts, end screen, pause, sound cues, settings and the launch code, and
# whatever joins them. Comments may speak of recordings; code may not.
#
# Checks the files git knows of and exits 1 naming every fault.
#   scripts/rules_files.sh [SOURCE]
set -euo pipefail
source_dir=${1:-$(dirname "$0")/..}
cd "$source_dir"
git rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
    { echo "FAIL: $(pwd) is no git checkout: the rules files are listed through git"; exit 1; }

recorder=(core/recording.h core/round_driver.h)
allowed='^core/(recording|round_driver|round_check|best_catches)\.(h|cpp)$'

# The names the recorder's headers declare at their top level: functions,
# records and enumerations they define (not those they only name ahead, as
# "struct Game;"), constants.
names=$(sed 's://.*::' "${recorder[@]}" | grep -oE \
    '^(struct|enum class|enum) [A-Za-z_][A-Za-z0-9_]*([^A-Za-z0-9_;].*)?$|^[A-Za-z_].*[ *&]([A-Za-z_][A-Za-z0-9_]*)\(|^(constexpr|extern) [^=;(]* ([A-Za-z_][A-Za-z0-9_]*)( =|;)' |
    sed -E 's/^(struct|enum class|enum) ([A-Za-z0-9_]+).*/\2/; s/\($//; s/( =|;)$//; s/.*[ *&]//' | sort -u)
[ -n "$names" ] || { echo "FAIL: no names read from ${recorder[*]}"; exit 1; }
pattern="\\b($(paste -sd'|' <<<"$names"))\\b"

wrong=0
rules=0
while IFS= read -r -d '' file; do
    [[ "$file" =~ $allowed ]] && continue
    rules=$((rules + 1))
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        for header in "${recorder[@]}"; do
            if [[ "$line" =~ ^#[[:space:]]*include[[:space:]]*\"$header\" ]]; then
                echo "$file:$lineno: a rules file includes the recorder: $line"
                wrong=1
            fi
        done
        code=${line%%//*}
        if named=$(grep -oE "$pattern" <<<"$code" | head -1) && [ -n "$named" ]; then
            echo "$file:$lineno: a rules file names the recorder's $named: $line"
            wrong=1
        fi
    done <"$file"
done < <(git ls-files -z -- 'core/*.h' 'core/*.cpp')

[ "$rules" -gt 0 ] || { echo "FAIL: no rules file found in core/"; exit 1; }
if [ "$wrong" != 0 ]; then
    echo "FAIL: the rules know they are recorded"
    exit 1
fi
echo "ok: $rules rules files of core/ include nothing of the recorder and name none of its $(wc -l <<<"$names") names"
