function yes = is_rooted(name)
%IS_ROOTED Whether the file name NAME starts from a root (/ or \) or a drive (C:), and so names
%   the same file from any current folder.
yes = ~isempty(regexp(name, '^([\\/]|[A-Za-z]:)', 'once'));
end
