function [table, raised] = errors_table(root, write)
%ERRORS_TABLE The README's table "Errors", made from the list docs/errors.txt under the project
%   folder ROOT: TABLE is its Markdown, and RAISED a struct with a field per function of the
%   toolbox holding the identifier suffixes the list gives it. With WRITE true the table replaces
%   the one in ROOT/README.md, between its two marker lines. From the project folder:
%     octave-cli --eval "addpath('scripts'); errors_table('.', true);"
if nargin < 2
  write = false;
end
functions = toolbox_functions(root);
entries = read_entries(fullfile(root, 'docs', 'errors.txt'), functions);
raised = cell2struct(repmat({{}}, numel(functions), 1), functions, 1);
rows = cell(numel(entries), 1);
for k = 1:numel(entries)
  e = entries(k);
  for f = e.functions
    raised.(f{1}) = [raised.(f{1}), e.suffixes];
  end
  rows{k} = sprintf('| %s | %s | %s |', strjoin(strcat('`', e.suffixes, '`'), ', '), ...
                    raised_by(e.functions, functions), e.when);
end
table = strjoin([{'| suffix | raised by | when |'; '| --- | --- | --- |'}; rows], "\n");
if write
  replace_in_readme(fullfile(root, 'README.md'), table);
end
end

function names = toolbox_functions(root)
% The functions of the toolbox: its .m files but the help files of the compiled modules, whose
% own identifiers their helps list.
files = dir(fullfile(root, 'toolbox', 'plorvent*.m'));
names = setdiff(regexprep({files.name}, '\.m$', ''), {'plorvent_core', 'plorvent_filter'});
end

function entries = read_entries(file, functions)
% Each entry: a line "SUFFIX ...: FUNCTION ..." and the indented lines of its text.
lines = strsplit(fileread(file), "\n");
entries = struct('suffixes', {}, 'functions', {}, 'when', {});
for k = 1:numel(lines)
  line = lines{k};
  if isempty(strtrim(line)) || line(1) == '#'
    continue;
  end
  if line(1) == ' '
    entries(end).when = strtrim([entries(end).when ' ' strtrim(line)]);
    continue;
  end
  parts = strsplit(line, ':');
  entries(end + 1) = struct('suffixes', {strsplit(strtrim(parts{1}))}, ...
                            'functions', {raising(strsplit(strtrim(parts{2})), functions)}, ...
                            'when', '');
end
end

function names = raising(words, functions)
% The functions WORDS name: 'all' for every one, '-NAME' to leave one out.
names = words(~strncmp(words, '-', 1) & ~strcmp(words, 'all'));
if any(strcmp(words, 'all'))
  names = setdiff(functions, regexprep(words(strncmp(words, '-', 1)), '^-', ''));
end
unknown = setdiff(names, functions);
if ~isempty(unknown)
  error('errors_table:unknownFunction', 'No function of the toolbox is named %s.', unknown{1});
end
names = functions(ismember(functions, names));  % in the toolbox's order
end

function text = raised_by(names, functions)
left_out = setdiff(functions, names);
quoted = @(list) strjoin(strcat('`', list, '`'), ', ');
if isempty(left_out)
  text = 'every function';
elseif numel(left_out) <= 2
  text = ['every function but ' strjoin(strcat('`', left_out, '`'), ' and ')];
else
  text = quoted(names);
end
end

function replace_in_readme(file, table)
begin_mark = '<!-- The table below is made by scripts/errors_table.m from docs/errors.txt. -->';
end_mark = '<!-- End of the table made from docs/errors.txt. -->';
text = fileread(file);
first = strfind(text, begin_mark);
last = strfind(text, end_mark);
if numel(first) ~= 1 || numel(last) ~= 1 || last < first
  error('errors_table:noMarkers', '%s must hold each marker line of the table once.', file);
end
text = [text(1:first + numel(begin_mark)) table "\n" text(last:end)];
id = fopen(file, 'w');
fprintf(id, '%s', text);
fclose(id);
end
