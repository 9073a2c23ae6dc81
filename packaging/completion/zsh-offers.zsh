#!/usr/bin/env zsh
# What zsh offers at the end of LINE, as a user pressing Tab there gets it:
# an interactive zsh in a pseudo-terminal, with the completion functions of
# FOLDER first in its path, notes each offer to a file.
# usage: zsh-offers.zsh FOLDER LINE   (prints the offers sorted, on one line)
zmodload zsh/zpty || exit 2
hits=$(mktemp)
zpty offers zsh -f -i
zpty -w offers "fpath=(${(q)1} \$fpath); autoload -U compinit; compinit -u -D"
zpty -w offers "compadd() { local -a found; builtin compadd -O found \"\$@\"; print -rl -- \$found >> ${(q)hits}; builtin compadd \"\$@\"; }"
zpty -w offers "offers_done() { zle complete-word; print -r -- '<done>' >> ${(q)hits}; }; zle -N offers_done; bindkey '^I' offers_done"
zpty -w offers "$2"$'\t'
for i in {1..100}; do grep -qx '<done>' $hits && break; sleep 0.1; done
zpty -d offers
grep -vx -e '<done>' -e '' $hits | sort -u | tr '\n' ' ' | sed 's/ $//'
rm -f $hits
